#pragma once
// Hands a link (a web address or a mailto: link) to the desktop, which opens it in the
// program the user chose for it.

#include <string>

namespace platform {

// Result codes of open(): any value above 32 is a success (kLinkOpened is the one the real
// opener gives); failures use the codes below, which the about box turns into its reasons.
inline constexpr int kLinkOpened = 33;
inline constexpr int kLinkOutOfResources = 0;
inline constexpr int kLinkFileNotFound = 2;
inline constexpr int kLinkAccessDenied = 5;
inline constexpr int kLinkBadExecutable = 11;
inline constexpr int kLinkNoAssociation = 31;

struct LinkOpener {
    virtual ~LinkOpener() = default;
    // Opens `link`; returns a value greater than 32 on success, else one of the failure codes above.
    virtual int open(const std::string& link) = 0;
};

}  // namespace platform

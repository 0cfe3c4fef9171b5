#pragma once
// Who holds the copyright of Pivora and under which licence it is given, as the programs say it
// (the about box, --version). The LICENSE file of the source tree holds the licence's whole
// text; the packages install it as doc/pivora/copyright.

#include <string>

inline constexpr const char* kCopyrightLine = "Copyright (c) 2026 Velmora";
inline constexpr const char* kLicenceLine = "Free software under the MIT License";

// What --version prints below the program's name and version.
inline std::string versionNotice() {
    return std::string(kCopyrightLine) + "\n" + kLicenceLine + "; there is NO WARRANTY.\n";
}

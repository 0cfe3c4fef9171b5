#pragma once
// The two choosers a command asks the user with.

#include <optional>
#include <string>

namespace shell {

struct Choosers {
    virtual ~Choosers() = default;
    // The full path of an existing file the user chose, starting in `initialFolder`; nullopt when cancelled.
    virtual std::optional<std::string> chooseJpegFile(const std::string& initialFolder) = 0;
    // The path of an existing folder (or a symbolic link to one) the user chose, starting at
    // `startFolder` (the current directory when empty); nullopt when cancelled.
    virtual std::optional<std::string> chooseFolder(const std::string& startFolder) = 0;
};

}  // namespace shell

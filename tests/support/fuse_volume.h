#pragma once
// A small exFAT or FAT volume in an image file of its own, formatted and mounted through FUSE, as
// SD cards and USB sticks are often mounted: no hard links, no rename without replacing, no owners
// or modes of its own. Unmounted when the object goes. Where the machine cannot mount it (no
// /dev/fuse, no privilege, a tool missing), mounted() is false and whyNot() says why.
//
// Debian's tools: exfat-fuse with exfatprogs, fusefat with dosfstools.

#include <string>

#include "tests/support/files.h"

namespace testsupport {

class FuseVolume {
public:
    enum class Kind { ExFat, Fat };

    explicit FuseVolume(Kind kind);
    ~FuseVolume();
    FuseVolume(const FuseVolume&) = delete;
    FuseVolume& operator=(const FuseVolume&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& whyNot() const { return whyNot_; }
    const std::string& path() const { return mountPoint_; }
    std::string file(const std::string& name) const { return mountPoint_ + "/" + name; }

private:
    bool mount(Kind kind);
    // Runs a tool by its name (also from the system folders, where PATH lacks them); true when it
    // exits with 0, else whyNot_ says what it said.
    bool run(const std::vector<std::string>& command, std::string* out = nullptr);

    TempDir dir_;
    std::string image_, mountPoint_, whyNot_;
    bool mounted_ = false;
};

}  // namespace testsupport

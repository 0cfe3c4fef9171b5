#include "tests/support/fuse_volume.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "tests/support/child_run.h"

namespace testsupport {
namespace {

constexpr off_t kImageSize = 32 << 20;

// The tool's full name: found in PATH or in the system folders; "" when it is not installed.
std::string findTool(const std::string& name) {
    std::string folders = std::string(std::getenv("PATH") ? std::getenv("PATH") : "") + ":/usr/sbin:/sbin:/usr/bin:/bin";
    for (std::size_t at = 0; at <= folders.size();) {
        const std::size_t end = std::min(folders.find(':', at), folders.size());
        const std::string candidate = folders.substr(at, end - at) + "/" + name;
        if (end > at && ::access(candidate.c_str(), X_OK) == 0) return candidate;
        at = end + 1;
    }
    return "";
}

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

dev_t deviceOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_dev : 0;
}

}  // namespace

FuseVolume::FuseVolume(Kind kind) : image_(dir_.file("volume.img")), mountPoint_(dir_.file("mounted")) {
    mounted_ = mount(kind);
}

FuseVolume::~FuseVolume() {
    if (!mounted_) return;
    // Lazily where something still holds a file open there: the folder goes all the same.
    if (!run({"umount", mountPoint_})) run({"umount", "-l", mountPoint_});
}

bool FuseVolume::run(const std::vector<std::string>& command, std::string* out) {
    const std::string tool = findTool(command[0]);
    if (tool.empty()) {
        whyNot_ = command[0] + " is not installed";
        return false;
    }
    const ChildOutcome done = Child([&] {
                                  std::vector<char*> argv{const_cast<char*>(tool.c_str())};
                                  for (std::size_t i = 1; i < command.size(); ++i)
                                      argv.push_back(const_cast<char*>(command[i].c_str()));
                                  argv.push_back(nullptr);
                                  ::execv(tool.c_str(), argv.data());
                                  return 127;
                              }).finish();
    if (out) *out = trimmed(done.output);
    if (done.exitCode != 0) whyNot_ = command[0] + " failed: " + trimmed(done.output + done.errors);
    return done.exitCode == 0;
}

bool FuseVolume::mount(Kind kind) {
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        whyNot_ = "no /dev/fuse to use";
        return false;
    }
    const int fd = ::open(image_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const bool sized = fd >= 0 && ::ftruncate(fd, kImageSize) == 0;
    if (fd >= 0) ::close(fd);
    if (!sized || ::mkdir(mountPoint_.c_str(), 0755) != 0) {
        whyNot_ = "can't make the volume's image";
        return false;
    }
    if (kind == Kind::Fat) {
        if (!run({"mkfs.vfat", image_}) || !run({"fusefat", "-o", "rw+", image_, mountPoint_})) return false;
    } else {
        // exfat-fuse mounts a block device only: the image is given a loop device, which goes by
        // itself once the volume is unmounted (detached while in use, it is cleared at last close).
        std::string device;
        if (!run({"mkfs.exfat", image_}) || !run({"losetup", "--find", "--show", image_}, &device)) return false;
        const bool done = run({"mount.exfat-fuse", device, mountPoint_});
        run({"losetup", "-d", device});
        if (!done) return false;
    }
    if (deviceOf(mountPoint_) == deviceOf(dir_.path())) {
        whyNot_ = "the volume did not appear at " + mountPoint_;
        return false;
    }
    return true;
}

}  // namespace testsupport

// The checks of writeRefusal: a photo tool honours the protection a user or an administrator put
// on a file, although replacing it by rename needs only the folder's permission.
#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/file_replacement.h"
#include "platform/pending_file.h"

namespace platform {
namespace {

bool belongsToGroup(gid_t group) {
    if (group == ::getegid()) return true;
    int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(count > 0 ? count : 0));
    count = ::getgroups(static_cast<int>(groups.size()), groups.data());
    for (int i = 0; i < count; ++i)
        if (groups[static_cast<std::size_t>(i)] == group) return true;
    return false;
}

// The file's flags; 0 where the file system keeps none.
long inodeFlags(int fd) {
    long flags = 0;
    return ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 ? flags : 0;
}

std::string withReason(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string permissionRefusal(const std::string& target, const SourceFile& original) {
    if ((original.status().st_mode & 0222) == 0) return "the file is write-protected";
    const long flags = inodeFlags(original.fd());
    if (flags & FS_IMMUTABLE_FL) return "the file is marked immutable";
    if (flags & FS_APPEND_FL) return "the file is marked append-only";
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return withReason("no permission to write the file");
    if (::faccessat(AT_FDCWD, folderOf(target).c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return withReason("no permission to write in its folder");
    return "";
}

// Only a privileged process gives a file away; anyone else's new file is their own.
std::string ownershipRefusal(const SourceFile& original) {
    if (::geteuid() == 0) return "";
    if (original.status().st_uid != ::geteuid()) return "the file belongs to another user";
    if (!belongsToGroup(original.status().st_gid)) return "the file's group is not one of this user's groups";
    return "";
}

}  // namespace

std::string writeRefusal(const std::string& target, const SourceFile& original, ReplaceStatus* status) {
    std::string why = permissionRefusal(target, original);
    ReplaceStatus found = ReplaceStatus::NoPermission;
    if (why.empty()) {
        why = ownershipRefusal(original);
        found = ReplaceStatus::AttributesNotKept;
    }
    if (!why.empty() && status) *status = found;
    return why;
}

}  // namespace platform

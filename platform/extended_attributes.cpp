#include "platform/extended_attributes.h"

#include <sys/xattr.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <vector>

namespace platform {
namespace {

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// Attributes whose loss would change what the file means to its user or who may read it.
bool mustArrive(const std::string& name) { return startsWith(name, "user.") || startsWith(name, "system.posix_acl_"); }

// The attribute names of an open file; none where the file system keeps no attributes.
bool listNames(int fd, std::set<std::string>& names) {
    std::vector<char> list;
    for (;;) {
        ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0) return errno == ENOTSUP;
        list.resize(static_cast<std::size_t>(size));
        size = size == 0 ? 0 : ::flistxattr(fd, list.data(), list.size());
        if (size < 0 && errno == ERANGE) continue;  // grew in between
        if (size < 0) return false;
        for (const char* at = list.data(); at < list.data() + size; at += std::strlen(at) + 1) names.insert(at);
        return true;
    }
}

bool readValue(int fd, const std::string& name, std::vector<char>& value) {
    for (;;) {
        ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
        if (size < 0) return false;
        value.resize(static_cast<std::size_t>(size));
        size = size == 0 ? 0 : ::fgetxattr(fd, name.c_str(), value.data(), value.size());
        if (size < 0 && errno == ERANGE) continue;
        if (size < 0) return false;
        value.resize(static_cast<std::size_t>(size));
        return true;
    }
}

bool fail(std::string* error, const std::string& what, const std::string& name) {
    if (error) *error = what + " '" + name + "': " + std::strerror(errno);
    return false;
}

}  // namespace

bool copyExtendedAttributes(int from, int to, std::string* error) {
    std::set<std::string> names, present;
    if (!listNames(from, names)) return fail(error, "can't list the extended attributes", "");
    std::vector<char> value;
    for (const std::string& name : names) {
        bool copied = readValue(from, name, value) && ::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) == 0;
        if (!copied && mustArrive(name)) return fail(error, "can't carry the extended attribute", name);
    }
    if (!listNames(to, present)) return true;
    for (const std::string& name : present)
        if (mustArrive(name) && !names.count(name) && ::fremovexattr(to, name.c_str()) != 0)
            return fail(error, "can't remove the inherited attribute", name);
    return true;
}

}  // namespace platform

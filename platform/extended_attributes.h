#pragma once
// The extended attributes of a file carried to the file that replaces it: the user's own
// (user.*, tags and origins that desktops keep) and the access control lists (system.posix_acl_*)
// must arrive, or the replacement is not made; security.* and trusted.* arrive where the process
// may set them.

#include <string>

namespace platform {

// Gives the open file `to` the extended attributes of the open file `from`, and takes from `to`
// the user attributes and ACLs it has that `from` has not (one inherited from its folder, say).
// false and *error when one that must arrive cannot be set.
bool copyExtendedAttributes(int from, int to, std::string* error);

}  // namespace platform

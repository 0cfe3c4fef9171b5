#pragma once
// What a path names, as a run decides what to do with it.

#include <string>

namespace platform {

// 1 a regular file (or a link to one), 2 a folder (or a link to one), 0 nothing of that name,
// -1 anything else: a special file, or a path that cannot be examined.
int classifyPath(const std::string& path);

}  // namespace platform

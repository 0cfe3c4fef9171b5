#pragma once
// What tells a file's content from every other: the 128-bit XXH3 hash of its bytes (libxxhash),
// written as 32 lowercase hex digits. Not a defence against someone forging a file; it recognises
// the file a run left, at a small part of the cost of the turn itself.

#include <cstddef>
#include <string>

namespace platform {

std::string contentHash(const unsigned char* bytes, std::size_t size);

// The hash of the whole file open as `fd`, read from its start; "" when it cannot be read.
std::string contentHashOfFile(int fd);

}  // namespace platform

#include "platform/content_hash.h"

#include <unistd.h>
#include <xxhash.h>

#include <cerrno>
#include <memory>
#include <vector>

namespace platform {
namespace {

std::string hexOf(const XXH128_hash_t& hash) {
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, hash);  // big-endian: the digits read as the number
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : canonical.digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

struct StateDeleter {
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

}  // namespace

std::string contentHash(const unsigned char* bytes, std::size_t size) { return hexOf(XXH3_128bits(bytes, size)); }

std::string contentHashOfFile(int fd) {
    const std::unique_ptr<XXH3_state_t, StateDeleter> state(XXH3_createState());
    if (!state || XXH3_128bits_reset(state.get()) != XXH_OK) return "";
    std::vector<unsigned char> buffer(1 << 16);
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, buffer.data(), buffer.size(), at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return "";
        if (n == 0) break;
        XXH3_128bits_update(state.get(), buffer.data(), static_cast<std::size_t>(n));
        at += n;
    }
    return hexOf(XXH3_128bits_digest(state.get()));
}

}  // namespace platform

#include "workflow/whole_stream.h"

#include <sys/stat.h>

#include <new>

namespace {

constexpr std::size_t kChunk = 1 << 16;

// The size the stream's file says it has: enough room for one read of a regular file.
std::size_t expectedSize(FILE* stream) {
    struct stat st;
    return ::fstat(::fileno(stream), &st) == 0 && S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 0;
}

}  // namespace

bool readWholeStream(FILE* stream, std::vector<unsigned char>* bytes) {
    try {
        bytes->reserve(bytes->size() + expectedSize(stream) + 1);  // + 1: the read that meets the end
        for (;;) {
            std::size_t used = bytes->size();
            bytes->resize(used + (bytes->capacity() > used ? bytes->capacity() - used : kChunk));
            std::size_t got = std::fread(bytes->data() + used, 1, bytes->size() - used, stream);
            bytes->resize(used + got);
            if (got == 0) return !std::ferror(stream);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
}

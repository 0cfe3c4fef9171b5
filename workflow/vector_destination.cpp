#include "workflow/vector_destination.h"

#include <new>

#include <jerror.h>

namespace {

constexpr std::size_t kSmallestBuffer = 4096;

VectorDestination* destinationOf(j_compress_ptr dst) { return reinterpret_cast<VectorDestination*>(dst->dest); }

// Grows the vector to `size` and hands libjpeg the part from `used` on. The exception of a
// failed allocation must not cross libjpeg's C frames: it becomes libjpeg's own error, raised
// once the handler is left.
void offerSpace(j_compress_ptr dst, std::size_t used, std::size_t size) {
    std::vector<unsigned char>& bytes = *destinationOf(dst)->bytes;
    bool grown = true;
    try {
        bytes.resize(size);
    } catch (const std::bad_alloc&) {
        grown = false;
    }
    if (!grown) ERREXIT1(dst, JERR_OUT_OF_MEMORY, 10);
    dst->dest->next_output_byte = bytes.data() + used;
    dst->dest->free_in_buffer = size - used;
}

void startStream(j_compress_ptr dst) {
    destinationOf(dst)->bytes->clear();
    std::size_t expected = destinationOf(dst)->expectedSize;
    offerSpace(dst, 0, expected > kSmallestBuffer ? expected : kSmallestBuffer);
}

boolean growStream(j_compress_ptr dst) {
    std::size_t used = destinationOf(dst)->bytes->size();  // libjpeg has filled the whole buffer
    offerSpace(dst, used, 2 * used);
    return TRUE;
}

void endStream(j_compress_ptr dst) {
    std::vector<unsigned char>& bytes = *destinationOf(dst)->bytes;
    bytes.resize(bytes.size() - dst->dest->free_in_buffer);
}

}  // namespace

void attachVectorDestination(j_compress_ptr dst, VectorDestination* destination, std::vector<unsigned char>* bytes,
                             std::size_t expectedSize) {
    destination->manager.init_destination = startStream;
    destination->manager.empty_output_buffer = growStream;
    destination->manager.term_destination = endStream;
    destination->bytes = bytes;
    destination->expectedSize = expectedSize;
    dst->dest = &destination->manager;
}

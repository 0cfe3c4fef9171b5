#pragma once
// Hand-made JPEG files for the segment tests: pieces of bytes put together as a file holds them.

#include "tests/support/jpeg_maker.h"

namespace handmade {

using testsupport::Bytes;

// A literal's bytes, embedded zero bytes included, without the terminating one.
template <size_t N>
Bytes text(const char (&literal)[N]) { return Bytes(literal, literal + N - 1); }
inline Bytes join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// FF, the code, the two length bytes, the payload.
inline Bytes segment(int code, const Bytes& payload) {
    size_t length = payload.size() + 2;
    return join({0xFF, std::uint8_t(code), std::uint8_t(length >> 8), std::uint8_t(length)}, payload);
}

// SOI, the given pieces in order, then SOS and `tail` (the image data).
inline Bytes handMadeFile(const std::vector<Bytes>& pieces, const Bytes& tail = {0x12, 0xFF, 0x00, 0xFF, 0xD9}) {
    Bytes out{0xFF, 0xD8};
    for (const Bytes& piece : pieces) out = join(out, piece);
    return join(join(out, segment(0xDA, {1, 1, 0, 0, 63, 0})), tail);
}

}  // namespace handmade

#pragma once
// How one 8 x 8 block of quantized coefficients is carried to its new place.
// Mirroring a block's pixels left to right negates its odd horizontal frequencies (odd columns),
// top to bottom its odd vertical frequencies (odd rows); transposing the pixels transposes the block.

#include <cstdio>

#include <jpeglib.h>

enum class BlockRule {
    Copy,
    MirrorX,
    MirrorY,
    MirrorXY,
    Transpose,
    TransposeMirrorX,
    TransposeMirrorY,
    TransposeMirrorXY,
};

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace blockrules {

#if defined(__SSE2__)

// The sign pattern of one output row as a mask: negation is (x ^ mask) - mask where the mask is all ones.
template <bool NegateOddColumns, bool NegateOddRows>
inline __m128i rowMask(int u) {
    __m128i columns = NegateOddColumns ? _mm_set_epi16(-1, 0, -1, 0, -1, 0, -1, 0) : _mm_setzero_si128();
    __m128i rows = (NegateOddRows && (u & 1)) ? _mm_set1_epi16(-1) : _mm_setzero_si128();
    return _mm_xor_si128(columns, rows);
}

inline __m128i applyMask(__m128i row, __m128i mask) { return _mm_sub_epi16(_mm_xor_si128(row, mask), mask); }

// rows[c] becomes column c: three rounds of interleaving, 16-, 32- then 64-bit wide.
inline void transposeRows(__m128i rows[DCTSIZE]) {
    __m128i a[DCTSIZE], b[DCTSIZE];
    for (int i = 0; i < DCTSIZE; i += 2) {
        a[i] = _mm_unpacklo_epi16(rows[i], rows[i + 1]);
        a[i + 1] = _mm_unpackhi_epi16(rows[i], rows[i + 1]);
    }
    for (int i = 0; i < DCTSIZE; i += 4) {
        b[i] = _mm_unpacklo_epi32(a[i], a[i + 2]);
        b[i + 1] = _mm_unpackhi_epi32(a[i], a[i + 2]);
        b[i + 2] = _mm_unpacklo_epi32(a[i + 1], a[i + 3]);
        b[i + 3] = _mm_unpackhi_epi32(a[i + 1], a[i + 3]);
    }
    for (int i = 0; i < 4; ++i) {
        rows[2 * i] = _mm_unpacklo_epi64(b[i], b[i + 4]);
        rows[2 * i + 1] = _mm_unpackhi_epi64(b[i], b[i + 4]);
    }
}

// A whole block in eight registers, loaded before anything is stored.
template <bool Transposed, bool NegateOddColumns, bool NegateOddRows>
inline void moveBlock(const JCOEF* source, JCOEF* target) {
    __m128i rows[DCTSIZE];
    for (int u = 0; u < DCTSIZE; ++u)
        rows[u] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + u * DCTSIZE));
    if (Transposed) transposeRows(rows);
    for (int u = 0; u < DCTSIZE; ++u)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + u * DCTSIZE),
                         applyMask(rows[u], rowMask<NegateOddColumns, NegateOddRows>(u)));
}

#else

template <bool Transposed, bool NegateOddColumns, bool NegateOddRows>
inline void moveBlock(const JCOEF* source, JCOEF* target) {
    for (int u = 0; u < DCTSIZE; ++u) {
        for (int v = 0; v < DCTSIZE; ++v) {
            JCOEF value = Transposed ? source[v * DCTSIZE + u] : source[u * DCTSIZE + v];
            bool negate = (NegateOddColumns && (v & 1)) != (NegateOddRows && (u & 1));
            target[u * DCTSIZE + v] = negate ? static_cast<JCOEF>(-value) : value;
        }
    }
}

#endif

}  // namespace blockrules

// Writes target from source by the rule. source and target must be different blocks.
inline void applyBlockRule(BlockRule rule, const JCOEF* source, JCOEF* target) {
    using blockrules::moveBlock;
    switch (rule) {
    case BlockRule::Copy: moveBlock<false, false, false>(source, target); break;
    case BlockRule::MirrorX: moveBlock<false, true, false>(source, target); break;
    case BlockRule::MirrorY: moveBlock<false, false, true>(source, target); break;
    case BlockRule::MirrorXY: moveBlock<false, true, true>(source, target); break;
    case BlockRule::Transpose: moveBlock<true, false, false>(source, target); break;
    case BlockRule::TransposeMirrorX: moveBlock<true, true, false>(source, target); break;
    case BlockRule::TransposeMirrorY: moveBlock<true, false, true>(source, target); break;
    case BlockRule::TransposeMirrorXY: moveBlock<true, true, true>(source, target); break;
    }
}

// Exchanges two blocks of one row and mirrors both left to right. left and right may be the
// same block (the middle of an odd count), which is then mirrored once: each row of both is
// read before either is written.
inline void exchangeMirroredX(JCOEF* left, JCOEF* right) {
#if defined(__SSE2__)
    __m128i mask = blockrules::rowMask<true, false>(0);
    for (int u = 0; u < DCTSIZE; ++u) {
        auto* l = reinterpret_cast<__m128i*>(left + u * DCTSIZE);
        auto* r = reinterpret_cast<__m128i*>(right + u * DCTSIZE);
        __m128i leftRow = _mm_loadu_si128(l);
        __m128i rightRow = _mm_loadu_si128(r);
        _mm_storeu_si128(l, blockrules::applyMask(rightRow, mask));
        _mm_storeu_si128(r, blockrules::applyMask(leftRow, mask));
    }
#else
    for (int k = 0; k < DCTSIZE2; k += 2) {
        JCOEF even = left[k];
        left[k] = right[k];
        right[k] = even;
        JCOEF odd = left[k + 1];
        left[k + 1] = static_cast<JCOEF>(-right[k + 1]);
        right[k + 1] = static_cast<JCOEF>(-odd);
    }
#endif
}

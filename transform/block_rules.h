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

namespace blockrules {

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
// same block (the middle of an odd count), which is then mirrored once: each coefficient is
// read before either place is written.
inline void exchangeMirroredX(JCOEF* left, JCOEF* right) {
    for (int k = 0; k < DCTSIZE2; k += 2) {
        JCOEF even = left[k];
        left[k] = right[k];
        right[k] = even;
        JCOEF odd = left[k + 1];
        left[k + 1] = static_cast<JCOEF>(-right[k + 1]);
        right[k + 1] = static_cast<JCOEF>(-odd);
    }
}

// The kinds that turn block rows into block columns: transpose, transverse and the quarter turns.
// Each is a transposition followed by mirroring of the destination's columns, rows, or both,
// where mirroring applies only inside the whole iMCUs of that direction.

#include "transform/block_extent.h"
#include "transform/block_rules.h"
#include "transform/coefficient_transforms.h"

namespace {

BlockRule transposeRule(bool mirrorColumns, bool mirrorRows) {
    if (mirrorColumns) return mirrorRows ? BlockRule::TransposeMirrorXY : BlockRule::TransposeMirrorX;
    return mirrorRows ? BlockRule::TransposeMirrorY : BlockRule::Transpose;
}

// Walks the destination v rows at a time; a destination column is a source row, so the source
// is read h rows at a time. The iMCU tests are made on the first block of each group, which
// decides for the whole group since wholeColumns is a multiple of h and wholeRows of v.
void transposeInto(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays, jvirt_barray_ptr* dstArrays,
                   bool mirrorColumns, bool mirrorRows) {
    for (int c = 0; c < dst->num_components; ++c) {
        BlockExtent extent = blockExtent(dst, c);
        for (JDIMENSION y0 = 0; y0 < extent.height; y0 += extent.v) {
            JBLOCKARRAY out = accessBlockRows(src, dstArrays[c], y0, extent.v, true);
            bool flipRow = mirrorRows && y0 < extent.wholeRows;
            for (int k = 0; k < extent.v; ++k) {
                JDIMENSION sourceColumn = flipRow ? extent.wholeRows - 1 - (y0 + k) : y0 + k;
                for (JDIMENSION x0 = 0; x0 < extent.width; x0 += extent.h) {
                    JBLOCKARRAY in = accessBlockRows(src, srcArrays[c], x0, extent.h, false);
                    bool flipColumn = mirrorColumns && x0 < extent.wholeColumns;
                    BlockRule rule = transposeRule(flipColumn, flipRow);
                    for (int j = 0; j < extent.h; ++j) {
                        JDIMENSION column = flipColumn ? extent.wholeColumns - 1 - (x0 + j) : x0 + j;
                        applyBlockRule(rule, in[j][sourceColumn], out[k][column]);
                    }
                }
            }
        }
    }
}

}  // namespace

void transposeBlocks(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays,
                     jvirt_barray_ptr* dstArrays) {
    transposeInto(src, dst, srcArrays, dstArrays, false, false);
}

void transverseBlocks(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays,
                      jvirt_barray_ptr* dstArrays) {
    transposeInto(src, dst, srcArrays, dstArrays, true, true);
}

void rotateBlocks90(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays,
                    jvirt_barray_ptr* dstArrays) {
    transposeInto(src, dst, srcArrays, dstArrays, true, false);
}

void rotateBlocks270(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays,
                     jvirt_barray_ptr* dstArrays) {
    transposeInto(src, dst, srcArrays, dstArrays, false, true);
}

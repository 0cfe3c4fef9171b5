// The kinds that keep block rows as rows: the horizontal flip in place, the vertical flip and
// the half turn into the workspace. Only blocks inside whole iMCUs are mirrored in a direction.

#include "transform/block_extent.h"
#include "transform/block_rules.h"
#include "transform/coefficient_transforms.h"
#include "transform/jpeg_utilities.h"

namespace {

// One destination row of the vertical flip: the source row is already the mirrored one
// when the row lies in whole iMCU rows.
void fillVerticallyMirroredRow(JBLOCKROW in, JBLOCKROW out, const BlockExtent& extent, bool wholeRow) {
    if (!wholeRow) {
        jcopy_block_row(in, out, extent.width);
        return;
    }
    for (JDIMENSION x = 0; x < extent.width; ++x) applyBlockRule(BlockRule::MirrorY, in[x], out[x]);
}

void fillHalfTurnedRow(JBLOCKROW in, JBLOCKROW out, const BlockExtent& extent, bool wholeRow) {
    BlockRule mirrored = wholeRow ? BlockRule::MirrorXY : BlockRule::MirrorX;
    BlockRule unmoved = wholeRow ? BlockRule::MirrorY : BlockRule::Copy;
    JDIMENSION x = 0;
    for (; x < extent.wholeColumns; ++x) applyBlockRule(mirrored, in[extent.wholeColumns - 1 - x], out[x]);
    for (; x < extent.width; ++x) applyBlockRule(unmoved, in[x], out[x]);
}

using RowFiller = void (*)(JBLOCKROW in, JBLOCKROW out, const BlockExtent& extent, bool wholeRow);

// Walks the destination v rows at a time; inside the whole iMCU rows the source group is the
// mirrored one, read bottom up, below them the source rows stay where they are.
void flipRows(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays, jvirt_barray_ptr* dstArrays,
              RowFiller fillRow) {
    for (int c = 0; c < dst->num_components; ++c) {
        BlockExtent extent = blockExtent(dst, c);
        for (JDIMENSION y0 = 0; y0 < extent.height; y0 += extent.v) {
            JBLOCKARRAY out = accessBlockRows(src, dstArrays[c], y0, extent.v, true);
            bool wholeRows = y0 < extent.wholeRows;
            JDIMENSION first = wholeRows ? extent.wholeRows - y0 - extent.v : y0;
            JBLOCKARRAY in = accessBlockRows(src, srcArrays[c], first, extent.v, false);
            for (int k = 0; k < extent.v; ++k) fillRow(in[wholeRows ? extent.v - 1 - k : k], out[k], extent, wholeRows);
        }
    }
}

}  // namespace

void mirrorBlocksHorizontally(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays) {
    for (int c = 0; c < dst->num_components; ++c) {
        BlockExtent extent = blockExtent(dst, c);
        for (JDIMENSION y0 = 0; y0 < extent.height; y0 += extent.v) {
            JBLOCKARRAY rows = accessBlockRows(src, srcArrays[c], y0, extent.v, true);
            for (int k = 0; k < extent.v; ++k) {
                JBLOCKROW row = rows[k];
                for (JDIMENSION x = 0; 2 * x < extent.wholeColumns; ++x)
                    exchangeMirroredX(row[x], row[extent.wholeColumns - 1 - x]);
            }
        }
    }
}

void mirrorBlocksVertically(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays,
                            jvirt_barray_ptr* dstArrays) {
    flipRows(src, dst, srcArrays, dstArrays, fillVerticallyMirroredRow);
}

void rotateBlocks180(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays,
                     jvirt_barray_ptr* dstArrays) {
    flipRows(src, dst, srcArrays, dstArrays, fillHalfTurnedRow);
}

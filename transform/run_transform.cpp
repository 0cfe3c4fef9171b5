#include "transform/coefficient_transforms.h"
#include "transform/transform_setup.h"

void runTransform(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays, TransformSetup* setup) {
    if (setup->kind == TransformKind::FlipHorizontal) {
        mirrorBlocksHorizontally(src, dst, srcArrays);
        return;
    }
    jvirt_barray_ptr* dstArrays = setup->targetArrays;
    if (!dstArrays) return;  // None, unknown codes: the source arrays are written as they are
    switch (setup->kind) {
    case TransformKind::FlipVertical: mirrorBlocksVertically(src, dst, srcArrays, dstArrays); break;
    case TransformKind::Transpose: transposeBlocks(src, dst, srcArrays, dstArrays); break;
    case TransformKind::Transverse: transverseBlocks(src, dst, srcArrays, dstArrays); break;
    case TransformKind::Rotate90: rotateBlocks90(src, dst, srcArrays, dstArrays); break;
    case TransformKind::Rotate180: rotateBlocks180(src, dst, srcArrays, dstArrays); break;
    case TransformKind::Rotate270: rotateBlocks270(src, dst, srcArrays, dstArrays); break;
    default: break;
    }
}

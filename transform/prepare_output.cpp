// Adapts the destination's parameters to the transform before its coefficients are written.

#include <jerror.h>

#include "transform/output_geometry.h"
#include "transform/transform_setup.h"
#include "transform/turns.h"

namespace {

// A gray output has one component sampled 1 x 1, whose blocks must be the luminance blocks
// read from the source. That holds only when luminance is sampled at the image's full rate;
// a file with a coarser luminance would make the compressor read past the source's block rows.
bool lumaCoversImage(j_compress_ptr dst) {
    for (int c = 1; c < dst->num_components; ++c) {
        if (dst->comp_info[c].h_samp_factor > dst->comp_info[0].h_samp_factor) return false;
        if (dst->comp_info[c].v_samp_factor > dst->comp_info[0].v_samp_factor) return false;
    }
    return true;
}

// false after raising JERR_CONVERSION_NOTIMPL through the destination's error manager.
bool forceGrayOutput(j_compress_ptr dst) {
    bool color = dst->jpeg_color_space == JCS_YCbCr && dst->num_components == 3;
    bool gray = dst->jpeg_color_space == JCS_GRAYSCALE && dst->num_components == 1;
    if (!(color || gray) || !lumaCoversImage(dst)) {
        ERREXIT(dst, JERR_CONVERSION_NOTIMPL);
        return false;  // only when a non-standard error_exit returns
    }
    int lumaTable = dst->comp_info[0].quant_tbl_no;
    jpeg_set_colorspace(dst, JCS_GRAYSCALE);
    dst->comp_info[0].quant_tbl_no = lumaTable;
    return true;
}

// Transposition first: the trimming works on the output's axes.
void adaptGeometry(j_compress_ptr dst, TransformSetup* setup) {
    const TurnFacts& geometry = turnFacts(setup->kind);  // only a reversed axis moves the partial iMCU at its far edge
    if (geometry.transposes) swapOutputGeometry(dst);
    bool trim = setup->trimPartialBlocks;
    bool cutColumns = trim && geometry.reversesX && dropPartialRightColumns(dst);
    bool cutRows = trim && geometry.reversesY && dropPartialBottomRows(dst);
    setup->trimmed = cutColumns || cutRows;
    setup->exact =
        (!geometry.reversesX || widthMirrorsExactly(dst)) && (!geometry.reversesY || heightMirrorsExactly(dst));
}

}  // namespace

jvirt_barray_ptr* prepareTransformOutput(j_decompress_ptr, j_compress_ptr dst, jvirt_barray_ptr* srcArrays,
                                         TransformSetup* setup) {
    setup->trimmed = false;
    setup->exact = true;
    if (setup->grayOnly && !forceGrayOutput(dst)) return srcArrays;
    adaptGeometry(dst, setup);
    return setup->targetArrays ? setup->targetArrays : srcArrays;
}

#include "transform/output_geometry.h"

#include <utility>

namespace {

// A coefficient (u, v) moves to (v, u) under transposition, so its quantizer must move with it.
void transposeQuantTable(JQUANT_TBL* table) {
    for (int i = 0; i < DCTSIZE; ++i)
        for (int j = 0; j < i; ++j) std::swap(table->quantval[i * DCTSIZE + j], table->quantval[j * DCTSIZE + i]);
}

int largestFactor(j_compress_ptr dst, int jpeg_component_info::*factor) {
    int largest = 1;
    for (int c = 0; c < dst->num_components; ++c)
        if (dst->comp_info[c].*factor > largest) largest = dst->comp_info[c].*factor;
    return largest;
}

void cutToWholeUnits(JDIMENSION* size, int factor) {
    JDIMENSION unit = static_cast<JDIMENSION>(factor * DCTSIZE);
    JDIMENSION units = *size / unit;
    if (units > 0) *size = units * unit;
}

}  // namespace

void swapOutputGeometry(j_compress_ptr dst) {
    std::swap(dst->image_width, dst->image_height);
    for (int c = 0; c < dst->num_components; ++c)
        std::swap(dst->comp_info[c].h_samp_factor, dst->comp_info[c].v_samp_factor);
    for (JQUANT_TBL* table : dst->quant_tbl_ptrs)
        if (table) transposeQuantTable(table);
}

void dropPartialRightColumns(j_compress_ptr dst) {
    cutToWholeUnits(&dst->image_width, largestFactor(dst, &jpeg_component_info::h_samp_factor));
}

void dropPartialBottomRows(j_compress_ptr dst) {
    cutToWholeUnits(&dst->image_height, largestFactor(dst, &jpeg_component_info::v_samp_factor));
}

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

JDIMENSION unitOf(j_compress_ptr dst, int jpeg_component_info::*factor) {
    return static_cast<JDIMENSION>(largestFactor(dst, factor) * DCTSIZE);
}

bool cutToWholeUnits(JDIMENSION* size, JDIMENSION unit) {
    JDIMENSION units = *size / unit;
    if (units == 0 || units * unit == *size) return false;
    *size = units * unit;
    return true;
}

bool mirrorsExactly(JDIMENSION size, JDIMENSION unit) { return size == 1 || size % unit == 0; }

}  // namespace

void swapOutputGeometry(j_compress_ptr dst) {
    std::swap(dst->image_width, dst->image_height);
    for (int c = 0; c < dst->num_components; ++c)
        std::swap(dst->comp_info[c].h_samp_factor, dst->comp_info[c].v_samp_factor);
    for (JQUANT_TBL* table : dst->quant_tbl_ptrs)
        if (table) transposeQuantTable(table);
}

bool dropPartialRightColumns(j_compress_ptr dst) {
    return cutToWholeUnits(&dst->image_width, unitOf(dst, &jpeg_component_info::h_samp_factor));
}

bool dropPartialBottomRows(j_compress_ptr dst) {
    return cutToWholeUnits(&dst->image_height, unitOf(dst, &jpeg_component_info::v_samp_factor));
}

bool widthMirrorsExactly(j_compress_ptr dst) {
    return mirrorsExactly(dst->image_width, unitOf(dst, &jpeg_component_info::h_samp_factor));
}

bool heightMirrorsExactly(j_compress_ptr dst) {
    return mirrorsExactly(dst->image_height, unitOf(dst, &jpeg_component_info::v_samp_factor));
}

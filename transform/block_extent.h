#pragma once
// One destination component's size in blocks, and how much of it lies in whole iMCUs:
// blocks beyond wholeColumns / wholeRows belong to a partial iMCU at the right / bottom edge.

#include <cstdio>

#include <jpeglib.h>

struct BlockExtent {
    JDIMENSION width;         // width_in_blocks
    JDIMENSION height;        // height_in_blocks
    int h;                    // h_samp_factor: block columns per iMCU column
    int v;                    // v_samp_factor: block rows per iMCU row
    JDIMENSION wholeColumns;  // block columns inside whole iMCU columns (a multiple of h)
    JDIMENSION wholeRows;     // block rows inside whole iMCU rows (a multiple of v)
};

// Valid after jpeg_write_coefficients has set the destination's per-component sizes.
inline BlockExtent blockExtent(j_compress_ptr dst, int component) {
    const jpeg_component_info& info = dst->comp_info[component];
    JDIMENSION imcuColumns = dst->image_width / static_cast<JDIMENSION>(dst->max_h_samp_factor * DCTSIZE);
    JDIMENSION imcuRows = dst->image_height / static_cast<JDIMENSION>(dst->max_v_samp_factor * DCTSIZE);
    return {info.width_in_blocks,
            info.height_in_blocks,
            info.h_samp_factor,
            info.v_samp_factor,
            imcuColumns * static_cast<JDIMENSION>(info.h_samp_factor),
            imcuRows * static_cast<JDIMENSION>(info.v_samp_factor)};
}

// The rows [first, first + count) of a coefficient array, through the decompressor's memory manager.
inline JBLOCKARRAY accessBlockRows(j_decompress_ptr src, jvirt_barray_ptr array, JDIMENSION first, int count,
                                   bool writable) {
    return (*src->mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(src), array, first,
                                           static_cast<JDIMENSION>(count), writable ? TRUE : FALSE);
}

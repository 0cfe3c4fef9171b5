#pragma once
// The lossless transform request and the three steps of one transcoding pass:
// reserve the workspace before the coefficients are read, adapt the destination's
// parameters before they are written, move the coefficients after the header is out.

#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

enum class TransformKind : std::int32_t {
    None = 0,
    FlipHorizontal = 1,
    FlipVertical = 2,
    Transpose = 3,
    Transverse = 4,
    Rotate90 = 5,
    Rotate180 = 6,
    Rotate270 = 7,
};

struct TransformSetup {
    TransformKind kind;           // codes outside the enumeration act as None
    bool trimPartialBlocks;       // drop the partial edge iMCUs the transform cannot move
    bool grayOnly;                // write the luminance component alone
    std::int32_t componentCount;  // set by reserveTransformArrays
    jvirt_barray_ptr* targetArrays;  // workspace, or null when the transform works in place
    // Set by prepareTransformOutput:
    bool trimmed;  // a partial edge was dropped
    bool exact;    // every output axis the kind mirrors is whole iMCUs or a single pixel, so the
                   // output is the exact transform of the picture it shows; a partial iMCU on
                   // such an axis stays unmirrored (too small to trim, or trimming not asked for)
};

// After jpeg_read_header, before jpeg_read_coefficients: decides componentCount and requests the workspace.
void reserveTransformArrays(j_decompress_ptr src, TransformSetup* setup);

// After jpeg_copy_critical_parameters: adapts dst to the transform; returns the arrays to write.
jvirt_barray_ptr* prepareTransformOutput(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays,
                                         TransformSetup* setup);

// After jpeg_write_coefficients (and the marker copy): fills the arrays that are written.
void runTransform(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* srcArrays, TransformSetup* setup);

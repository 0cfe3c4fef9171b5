#pragma once
// How the source was coded, and the destination set up to write the same way: progressive stays
// progressive (with libjpeg's standard progression), arithmetic stays arithmetic, the restart
// interval stays. The Huffman tables are chosen after the turn (huffman_tables.h).

#include <cstdio>

#include <jpeglib.h>

#include "workflow/coefficient_pass.h"

// After jpeg_read_header. standardHuffmanTables is left for usesStandardHuffmanTables.
JpegCoding codingOf(j_decompress_ptr src);

// After jpeg_copy_critical_parameters, which gives `dst` the standard tables: whether every
// Huffman table the source defines is the standard table of its slot.
bool usesStandardHuffmanTables(j_decompress_ptr src, j_compress_ptr dst);

// After prepareTransformOutput (the progression depends on the final components), before
// jpeg_write_coefficients.
void keepCoding(j_decompress_ptr src, j_compress_ptr dst, const JpegCoding& coding);

#pragma once
// The Huffman tables a turned picture is written with, chosen once its coefficients are known.
// Standard tables stay: they code every symbol an 8-bit picture has. A source's own tables stay
// where they code every symbol the turned picture needs, so that its DHT segments come out as
// they went in. Otherwise, and whenever optimized tables are asked for, the tables are built
// optimal for the turned picture from a count of its symbols: the tables libjpeg's two-pass
// optimization would build, without its slow statistics pass. A progression is left to libjpeg,
// which always optimizes the tables of each of its scans; arithmetic coding has no tables.
//
// libjpeg's writer does not check its tables against the data: a symbol without a code would be
// written as garbage. Every table chosen here codes every symbol it is used for.

#include <cstdio>

#include <jpeglib.h>

#include "workflow/coefficient_pass.h"

// After the transform has filled `arrays` (the arrays written), before jpeg_finish_compress; dst
// was set up by keepCoding. `sourceStandard`: every table the source defines is the standard one.
// May end the pass through dst's error manager (a coefficient out of range).
HuffmanTables chooseHuffmanTables(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* arrays,
                                  bool sourceStandard, bool optimize);

// A few words for reports: "standard", "the source's own", ...
const char* huffmanTablesName(HuffmanTables tables);

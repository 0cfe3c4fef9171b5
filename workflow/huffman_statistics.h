#pragma once
// The symbols libjpeg's sequential Huffman writer will code for a picture, counted from its
// coefficient arrays before it writes them: for every block the category of its DC difference
// (to the component's previous block, predicted anew at each restart) and, in zigzag order, the
// run/size pair of each nonzero AC coefficient, a ZRL for each run of sixteen zeros before one,
// and an EOB unless the last coefficient is nonzero. Blocks the writer adds at the right and
// bottom edges of an MCU (AC zero, the DC of the block before) are counted as it codes them.
//
// These are the counts of libjpeg's own statistics pass, found at a fraction of its cost: the
// nonzero coefficients of a block are found all at once, and only they are visited.

#include <cstdio>

#include <jpeglib.h>

// In the shape jpeg_gen_optimal_table takes; the last entry is its own.
struct SymbolCounts {
    long dc[257];  // by category
    long ac[257];  // by run << 4 | size
};

// After the arrays hold the destination's coefficients, before jpeg_finish_compress, for a
// destination written in one sequential scan of all its components, at most MAX_COMPS_IN_SCAN:
// fills counts[c] for each destination component c. The arrays are read through src's memory
// manager. A coefficient no 8-bit picture has (a DC difference of more than 11 bits, an AC
// coefficient of more than 10) fails through dst's error manager with JERR_BAD_DCT_COEF, as
// libjpeg's own statistics pass does: its writer would code it into data no reader can decode.
void countSymbols(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* arrays, SymbolCounts* counts);

// The AC part, which does not depend on the order of the blocks: a kernel counts one row of
// blocks into a tally. countSymbols uses the fastest the processor has; the portable one is the
// reference the others must agree with.
struct AcTally {
    long symbols[256];    // by run << 4 | size; the ZRLs and EOBs apart
    long zeroRuns;
    long endsOfBlock;
    unsigned magnitudes;  // every AC coefficient's magnitude or-ed in: only the highest bit matters
};
using AcRowCounter = void (*)(const JBLOCK* blocks, JDIMENSION count, AcTally* tally);
AcRowCounter portableAcCounter();
AcRowCounter fastestAcCounter();  // with AVX-512 (VBMI2) where the processor has it

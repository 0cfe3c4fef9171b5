#include "workflow/jpeg_coding.h"

#include <algorithm>
#include <numeric>

namespace {

bool sameTable(const JHUFF_TBL* table, const JHUFF_TBL* standard) {
    if (!table) return true;  // undefined: libjpeg's decoder takes the standard table
    if (!standard) return false;
    if (!std::equal(table->bits + 1, table->bits + 17, standard->bits + 1)) return false;
    int symbols = std::accumulate(standard->bits + 1, standard->bits + 17, 0);
    return std::equal(table->huffval, table->huffval + symbols, standard->huffval);
}

void copyArithmeticConditioning(j_decompress_ptr src, j_compress_ptr dst) {
    std::copy(src->arith_dc_L, src->arith_dc_L + NUM_ARITH_TBLS, dst->arith_dc_L);
    std::copy(src->arith_dc_U, src->arith_dc_U + NUM_ARITH_TBLS, dst->arith_dc_U);
    std::copy(src->arith_ac_K, src->arith_ac_K + NUM_ARITH_TBLS, dst->arith_ac_K);
}

}  // namespace

JpegCoding codingOf(j_decompress_ptr src) {
    JpegCoding coding;
    coding.progressive = src->progressive_mode != FALSE;
    coding.arithmetic = src->arith_code != FALSE;
    coding.restartInterval = src->restart_interval;
    return coding;
}

bool usesStandardHuffmanTables(j_decompress_ptr src, j_compress_ptr dst) {
    for (int slot = 0; slot < NUM_HUFF_TBLS; ++slot)
        if (!sameTable(src->dc_huff_tbl_ptrs[slot], dst->dc_huff_tbl_ptrs[slot]) ||
            !sameTable(src->ac_huff_tbl_ptrs[slot], dst->ac_huff_tbl_ptrs[slot]))
            return false;
    return true;
}

void keepCoding(j_decompress_ptr src, j_compress_ptr dst, const JpegCoding& coding) {
    dst->restart_interval = coding.restartInterval;
    dst->arith_code = coding.arithmetic ? TRUE : FALSE;
    if (coding.arithmetic) copyArithmeticConditioning(src, dst);
    // A sequential picture's tables are chosen once it is turned (huffman_tables.h), without
    // libjpeg's statistics pass; libjpeg optimizes a progression's tables whatever this says.
    dst->optimize_coding = FALSE;
    if (coding.progressive) jpeg_simple_progression(dst);
}

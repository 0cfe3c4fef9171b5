#include "workflow/huffman_tables.h"

#include <algorithm>

#include "workflow/huffman_statistics.h"

extern "C" {
// libjpeg's builder of the optimal code for a count of symbols, the one its own two-pass
// optimization uses. libjpeg62-turbo exports it, but declares it only in a header of its sources
// that is not installed (jchuff.h). `freq` has 257 entries, the last one libjpeg's own; it is
// changed.
void jpeg_gen_optimal_table(j_compress_ptr cinfo, JHUFF_TBL* htbl, long freq[]);
}

namespace {

constexpr int kLongestCode = 16;
constexpr int kLargestDcSymbol = 15;  // libjpeg's writer allows no larger DC category
constexpr int kLargestAcSymbol = 255;

// Whether libjpeg's writer accepts `table` (codes that fit their lengths, none of all ones, no
// symbol twice, none above `largestSymbol`) and it has a code for every symbol counted.
bool codesEverySymbol(const JHUFF_TBL* table, const long* counts, int largestSymbol) {
    if (!table) return false;
    long code = 0;
    int symbols = 0;
    for (int length = 1; length <= kLongestCode; ++length) {
        code += table->bits[length];
        symbols += table->bits[length];
        if (code >= 1L << length) return false;
        code <<= 1;
    }
    if (symbols > 256) return false;
    bool coded[257] = {};
    for (int i = 0; i < symbols; ++i) {
        int symbol = table->huffval[i];
        if (symbol > largestSymbol || coded[symbol]) return false;
        coded[symbol] = true;
    }
    for (int symbol = 0; symbol <= 256; ++symbol)
        if (counts[symbol] != 0 && !coded[symbol]) return false;
    return true;
}

bool validSlot(int slot) { return slot >= 0 && slot < NUM_HUFF_TBLS; }

// The slots each destination component's source counterpart used in its last scan.
bool sourceTablesCodeEverySymbol(j_decompress_ptr src, j_compress_ptr dst, const SymbolCounts* counts) {
    for (int c = 0; c < dst->num_components; ++c) {
        const jpeg_component_info& source = src->comp_info[c];
        if (!validSlot(source.dc_tbl_no) || !validSlot(source.ac_tbl_no)) return false;
        if (!codesEverySymbol(src->dc_huff_tbl_ptrs[source.dc_tbl_no], counts[c].dc, kLargestDcSymbol) ||
            !codesEverySymbol(src->ac_huff_tbl_ptrs[source.ac_tbl_no], counts[c].ac, kLargestAcSymbol))
            return false;
    }
    return true;
}

void copyTable(j_compress_ptr dst, JHUFF_TBL*& slot, const JHUFF_TBL& table) {
    if (!slot) slot = jpeg_alloc_huff_table(reinterpret_cast<j_common_ptr>(dst));
    std::copy(std::begin(table.bits), std::end(table.bits), slot->bits);
    std::copy(std::begin(table.huffval), std::end(table.huffval), slot->huffval);
    slot->sent_table = FALSE;
}

void useSourceTables(j_decompress_ptr src, j_compress_ptr dst) {
    for (int c = 0; c < dst->num_components; ++c) {
        jpeg_component_info& written = dst->comp_info[c];
        written.dc_tbl_no = src->comp_info[c].dc_tbl_no;
        written.ac_tbl_no = src->comp_info[c].ac_tbl_no;
        copyTable(dst, dst->dc_huff_tbl_ptrs[written.dc_tbl_no], *src->dc_huff_tbl_ptrs[written.dc_tbl_no]);
        copyTable(dst, dst->ac_huff_tbl_ptrs[written.ac_tbl_no], *src->ac_huff_tbl_ptrs[written.ac_tbl_no]);
    }
}

// In the destination's own slots, as libjpeg's optimization fills them: the counts of the
// components that share a slot are added up.
void buildOptimalTables(j_compress_ptr dst, const SymbolCounts* counts) {
    long dc[NUM_HUFF_TBLS][257] = {}, ac[NUM_HUFF_TBLS][257] = {};
    bool usedDc[NUM_HUFF_TBLS] = {}, usedAc[NUM_HUFF_TBLS] = {};
    for (int c = 0; c < dst->num_components; ++c) {
        const jpeg_component_info& info = dst->comp_info[c];
        std::transform(counts[c].dc, counts[c].dc + 257, dc[info.dc_tbl_no], dc[info.dc_tbl_no], std::plus<long>());
        std::transform(counts[c].ac, counts[c].ac + 257, ac[info.ac_tbl_no], ac[info.ac_tbl_no], std::plus<long>());
        usedDc[info.dc_tbl_no] = usedAc[info.ac_tbl_no] = true;
    }
    for (int slot = 0; slot < NUM_HUFF_TBLS; ++slot) {
        auto build = [dst](JHUFF_TBL*& table, long* freq) {
            if (!table) table = jpeg_alloc_huff_table(reinterpret_cast<j_common_ptr>(dst));
            jpeg_gen_optimal_table(dst, table, freq);
        };
        if (usedDc[slot]) build(dst->dc_huff_tbl_ptrs[slot], dc[slot]);
        if (usedAc[slot]) build(dst->ac_huff_tbl_ptrs[slot], ac[slot]);
    }
}

}  // namespace

HuffmanTables chooseHuffmanTables(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* arrays,
                                  bool sourceStandard, bool optimize) {
    if (dst->arith_code) return HuffmanTables::None;
    if (dst->progressive_mode) return HuffmanTables::PerScan;
    if (sourceStandard && !optimize) return HuffmanTables::Standard;
    // No single scan holds more components: libjpeg refuses the picture as it starts to write.
    if (dst->num_components > MAX_COMPS_IN_SCAN) return HuffmanTables::Standard;
    SymbolCounts counts[MAX_COMPS_IN_SCAN];
    countSymbols(src, dst, arrays, counts);
    if (!optimize && sourceTablesCodeEverySymbol(src, dst, counts)) {
        useSourceTables(src, dst);
        return HuffmanTables::SourcesOwn;
    }
    buildOptimalTables(dst, counts);
    return HuffmanTables::Rebuilt;
}

const char* huffmanTablesName(HuffmanTables tables) {
    switch (tables) {
    case HuffmanTables::Standard: return "standard";
    case HuffmanTables::SourcesOwn: return "the source's own";
    case HuffmanTables::Rebuilt: return "rebuilt for the picture";
    case HuffmanTables::PerScan: return "optimized per scan by libjpeg";
    case HuffmanTables::None: return "none (arithmetic)";
    }
    return "unknown";
}

#include "workflow/source_checks.h"

#include <cstdint>

#include "transform/block_extent.h"
#include "workflow/jpeg_error_trap.h"

namespace {

// A Huffman code is at least one bit long, and every block of every component is coded at
// least once with at least one code: its DC difference, in a sequential scan or in the first
// DC scan of a progression. So a Huffman-coded stream of n bytes holds at most 8 n blocks (a
// flat progressive picture comes close); twice that is the bound. Arithmetic coding can spend
// far less than a bit on a block, so there the memory limit is the bound.
constexpr std::uint64_t kMostHuffmanBlocksPerByte = 16;

// The quantized DCT coefficients of 8-bit samples: the DC term is at most 1024 in magnitude and
// an AC term at most about 930; libjpeg's Huffman writer allows 11 and 10 bits.
constexpr int kLargestDc = 2047;
constexpr int kLargestAc = 1023;
// The DC terms of 8-bit samples lie in -1024..1016, so that the difference between any two, which
// is what a turned picture codes between neighbours that were far apart, fits the writer's 11 bits.
constexpr int kLowestDcOfAPicture = -1024, kHighestDcOfAPicture = 1023;

[[noreturn]] void refuse(j_decompress_ptr src, const char* message) {
    failPass(reinterpret_cast<j_common_ptr>(src), PassFailure::Damaged, message);
}

std::uint64_t blockCount(j_decompress_ptr src) {
    std::uint64_t blocks = 0;
    for (int c = 0; c < src->num_components; ++c)
        blocks += std::uint64_t{src->comp_info[c].width_in_blocks} * src->comp_info[c].height_in_blocks;
    return blocks;
}

bool inRange(const JCOEF* block) {
    if (block[0] > kLargestDc || block[0] < -kLargestDc) return false;
    for (int k = 1; k < DCTSIZE2; ++k)
        if (block[k] > kLargestAc || block[k] < -kLargestAc) return false;
    return true;
}

bool definesHuffmanTable(j_decompress_ptr src) {
    for (int slot = 0; slot < NUM_HUFF_TBLS; ++slot)
        if (src->dc_huff_tbl_ptrs[slot] || src->ac_huff_tbl_ptrs[slot]) return true;
    return false;
}

// Every coefficient of a progression ends refined to its last bit (libjpeg keeps -1 for a
// coefficient no scan sent, else the last scan's low bit position).
bool progressionComplete(j_decompress_ptr src) {
    for (int c = 0; c < src->num_components; ++c)
        for (int k = 0; k < DCTSIZE2; ++k)
            if (src->coef_bits[c][k] != 0) return false;
    return true;
}

}  // namespace

void refuseImplausibleHeader(j_decompress_ptr src, std::size_t inputSize, bool sawArithmeticConditioning) {
    if (!src->arith_code && blockCount(src) > kMostHuffmanBlocksPerByte * inputSize)
        refuse(src, "Corrupt JPEG data: the frame is larger than the data could hold");
    // libjpeg's arithmetic decoder reads Huffman data without a word: a frame marker byte
    // damaged into an arithmetic one is seen in the tables instead.
    if (src->arith_code && definesHuffmanTable(src) && !sawArithmeticConditioning)
        refuse(src, "Corrupt JPEG data: an arithmetic-coded frame with Huffman tables");
}

void refuseIncompleteData(j_decompress_ptr src, unsigned componentsInScans) {
    if (componentsInScans != (1u << src->num_components) - 1)
        refuse(src, "Corrupt JPEG data: a component has no scan");
    if (src->progressive_mode && !progressionComplete(src))
        refuse(src, "Corrupt JPEG data: the progression ends early");
}

void refuseOutOfRangeDc(j_decompress_ptr src, jvirt_barray_ptr* arrays) {
    for (int c = 0; c < src->num_components; ++c) {
        const jpeg_component_info& info = src->comp_info[c];
        for (JDIMENSION y = 0; y < info.height_in_blocks; ++y) {
            JBLOCKROW row = accessBlockRows(src, arrays[c], y, 1, false)[0];
            for (JDIMENSION x = 0; x < info.width_in_blocks; ++x)
                if (row[x][0] < kLowestDcOfAPicture || row[x][0] > kHighestDcOfAPicture)
                    refuse(src, "Corrupt JPEG data: a coefficient out of range");
        }
    }
}

void refuseOutOfRangeCoefficients(j_decompress_ptr src, jvirt_barray_ptr* arrays) {
    for (int c = 0; c < src->num_components; ++c) {
        const jpeg_component_info& info = src->comp_info[c];
        for (JDIMENSION y = 0; y < info.height_in_blocks; ++y) {
            JBLOCKROW row = accessBlockRows(src, arrays[c], y, 1, false)[0];
            for (JDIMENSION x = 0; x < info.width_in_blocks; ++x)
                if (!inRange(row[x])) refuse(src, "Corrupt JPEG data: a coefficient out of range");
        }
    }
}

#include "workflow/huffman_statistics.h"

#include <algorithm>
#include <cstdint>

#if defined(__x86_64__) && !defined(__clang__)
// GCC 12's AVX-512 intrinsics start some results from a deliberately undefined register.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#elif defined(__x86_64__)
#include <immintrin.h>
#endif

#include <jerror.h>

#include "transform/block_extent.h"
#include "transform/jpeg_utilities.h"

namespace {

// What libjpeg's Huffman writer can code for 8-bit samples: it neither checks nor refuses more.
constexpr int kDcDifferenceBits = 11;
constexpr int kAcCoefficientBits = 10;

// The natural (row-major) position of each zigzag position.
constexpr int kNaturalOrder[DCTSIZE2] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

// The bits of a mask in natural order moved to their zigzag positions, eight at a time:
// of[i][b] is the zigzag mask of the natural positions 8 i to 8 i + 7 set in b.
struct ZigzagBits {
    std::uint64_t of[8][256];
};

constexpr ZigzagBits makeZigzagBits() {
    ZigzagBits bits{};
    int zigzagOf[DCTSIZE2] = {};
    for (int k = 0; k < DCTSIZE2; ++k) zigzagOf[kNaturalOrder[k]] = k;
    for (int group = 0; group < 8; ++group)
        for (int value = 0; value < 256; ++value)
            for (int bit = 0; bit < 8; ++bit)
                if (value >> bit & 1) bits.of[group][value] |= std::uint64_t{1} << zigzagOf[8 * group + bit];
    return bits;
}

constexpr ZigzagBits kZigzagBits = makeZigzagBits();

// Bit n set where the coefficient at natural position n is nonzero.
std::uint64_t nonzeroInNaturalOrder(const JCOEF* block) {
#if defined(__SSE2__)
    static_assert(sizeof(JCOEF) == 2, "eight coefficients to a register");
    const __m128i zero = _mm_setzero_si128();
    const auto* rows = reinterpret_cast<const __m128i*>(block);
    std::uint64_t zeros = 0;
    for (int pair = 0; pair < 4; ++pair) {  // two rows of eight at a time, packed to one byte each
        __m128i upper = _mm_cmpeq_epi16(_mm_loadu_si128(rows + 2 * pair), zero);
        __m128i lower = _mm_cmpeq_epi16(_mm_loadu_si128(rows + 2 * pair + 1), zero);
        auto bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(upper, lower)));
        zeros |= std::uint64_t{bits} << (16 * pair);
    }
    return ~zeros;
#else
    std::uint64_t nonzero = 0;
    for (int n = 0; n < DCTSIZE2; ++n)
        if (block[n] != 0) nonzero |= std::uint64_t{1} << n;
    return nonzero;
#endif
}

std::uint64_t nonzeroInZigzagOrder(const JCOEF* block) {
    std::uint64_t natural = nonzeroInNaturalOrder(block);
    std::uint64_t zigzag = 0;
    for (int group = 0; group < 8; ++group) zigzag |= kZigzagBits.of[group][natural >> (8 * group) & 0xFF];
    return zigzag;
}

int bitLength(unsigned magnitude) { return magnitude ? 32 - __builtin_clz(magnitude) : 0; }

unsigned magnitudeOf(int value) { return static_cast<unsigned>(value < 0 ? -value : value); }

// Walks the nonzero AC coefficients of each block in zigzag order. A size beyond 10 (refused in
// the end) still falls inside the table.
void countAcRowPortably(const JBLOCK* blocks, JDIMENSION count, AcTally* tally) {
    long zeroRuns = 0, endsOfBlock = 0;
    unsigned magnitudes = 0;
    for (JDIMENSION b = 0; b < count; ++b) {
        const JCOEF* block = blocks[b];
        std::uint64_t nonzero = nonzeroInZigzagOrder(block) & ~std::uint64_t{1};
        int previous = 0;  // zigzag position of the last nonzero coefficient so far
        while (nonzero) {
            int k = __builtin_ctzll(nonzero);
            nonzero &= nonzero - 1;
            unsigned magnitude = magnitudeOf(block[kNaturalOrder[k]]);
            magnitudes |= magnitude;
            int run = k - previous - 1;
            zeroRuns += run >> 4;
            ++tally->symbols[(run & 15) << 4 | bitLength(magnitude)];
            previous = k;
        }
        if (previous != DCTSIZE2 - 1) ++endsOfBlock;
    }
    tally->zeroRuns += zeroRuns;
    tally->endsOfBlock += endsOfBlock;
    tally->magnitudes |= magnitudes;
}

#if defined(__x86_64__) && defined(__GNUC__)
#define PIVORA_AVX512_COUNTER 1
#define PIVORA_AVX512 __attribute__((target("avx512f,avx512bw,avx512cd,avx512vbmi,avx512vbmi2")))

// The same counts with every symbol of a block found at once: the sizes of the 64 coefficients
// from their leading zeros, put in zigzag order by one byte permutation; the positions and sizes
// of the nonzero ones compressed to the front of a register, the runs the differences of
// neighbouring positions. Only the counting itself is left to a loop, one step per symbol.
// Sixteen coefficients from `at` on: their magnitudes, and their sizes as bytes.
PIVORA_AVX512 __m128i sizesOf16(const JCOEF* at, __mmask16 kept, __m512i* magnitudes) {
    __m512i wide = _mm512_maskz_abs_epi32(kept, _mm512_cvtepi16_epi32(_mm256_loadu_si256(
                                                   reinterpret_cast<const __m256i*>(at))));
    *magnitudes = _mm512_or_si512(*magnitudes, wide);
    return _mm512_cvtepi32_epi8(_mm512_sub_epi32(_mm512_set1_epi32(32), _mm512_lzcnt_epi32(wide)));
}

// The sizes of a block's AC coefficients in natural order, the DC's left 0.
PIVORA_AVX512 __m512i sizesInNaturalOrder(const JCOEF* block, __m512i* magnitudes) {
    __m512i sizes = _mm512_castsi128_si512(sizesOf16(block, static_cast<__mmask16>(~1u), magnitudes));
    sizes = _mm512_inserti32x4(sizes, sizesOf16(block + 16, 0xFFFF, magnitudes), 1);
    sizes = _mm512_inserti32x4(sizes, sizesOf16(block + 32, 0xFFFF, magnitudes), 2);
    return _mm512_inserti32x4(sizes, sizesOf16(block + 48, 0xFFFF, magnitudes), 3);
}

struct ByteIndexes {
    std::uint8_t naturalOrder[DCTSIZE2];
    std::uint8_t positions[DCTSIZE2];
};

constexpr ByteIndexes makeByteIndexes() {
    ByteIndexes indexes{};
    for (int k = 0; k < DCTSIZE2; ++k) {
        indexes.naturalOrder[k] = static_cast<std::uint8_t>(kNaturalOrder[k]);
        indexes.positions[k] = static_cast<std::uint8_t>(k);
    }
    return indexes;
}

alignas(64) constexpr ByteIndexes kByteIndexes = makeByteIndexes();

PIVORA_AVX512 void countAcRowWithAvx512(const JBLOCK* blocks, JDIMENSION count, AcTally* tally) {
    const __m512i naturalOrder = _mm512_load_si512(kByteIndexes.naturalOrder);
    const __m512i positions = _mm512_load_si512(kByteIndexes.positions);
    const __m512i one = _mm512_set1_epi8(1), highNibbles = _mm512_set1_epi8(static_cast<char>(0xF0)),
                  lowNibbles = _mm512_set1_epi8(0x0F);
    __m512i magnitudes = _mm512_setzero_si512(), zeroRuns = _mm512_setzero_si512();
    long endsOfBlock = 0;
    alignas(64) std::uint8_t symbols[DCTSIZE2];
    std::uint32_t counts[4][256] = {};  // a row has at most 8192 blocks of 63 symbols
    for (JDIMENSION b = 0; b < count; ++b) {
        __m512i sizes = _mm512_permutexvar_epi8(naturalOrder, sizesInNaturalOrder(blocks[b], &magnitudes));
        __mmask64 nonzero = _mm512_test_epi8_mask(sizes, sizes);
        __m512i at = _mm512_maskz_compress_epi8(nonzero, positions);
        __m512i before = _mm512_maskz_compress_epi8(nonzero | 1, positions);  // the one before each, DC first
        __m512i run = _mm512_sub_epi8(_mm512_sub_epi8(at, before), one);
        __m512i symbol = _mm512_or_si512(_mm512_and_si512(_mm512_slli_epi16(run, 4), highNibbles),
                                         _mm512_maskz_compress_epi8(nonzero, sizes));
        int found = __builtin_popcountll(nonzero);  // at most 63: the DC is not among them
        __mmask64 live = (__mmask64{1} << found) - 1;
        __m512i sixteens = _mm512_maskz_mov_epi8(live, _mm512_and_si512(_mm512_srli_epi16(run, 4), lowNibbles));
        zeroRuns = _mm512_add_epi64(zeroRuns, _mm512_sad_epu8(sixteens, _mm512_setzero_si512()));
        _mm512_store_si512(symbols, symbol);
        // Four tables in turn: a symbol that repeats need not wait for its own count to be stored.
        int i = 0;
        for (; i + 4 <= found; i += 4) {
            ++counts[0][symbols[i]];
            ++counts[1][symbols[i + 1]];
            ++counts[2][symbols[i + 2]];
            ++counts[3][symbols[i + 3]];
        }
        for (; i < found; ++i) ++counts[0][symbols[i]];
        if (!(nonzero >> (DCTSIZE2 - 1))) ++endsOfBlock;
    }
    for (int symbol = 0; symbol < 256; ++symbol)
        tally->symbols[symbol] += long{counts[0][symbol]} + counts[1][symbol] + counts[2][symbol] + counts[3][symbol];
    alignas(64) long long sums[8];
    alignas(64) unsigned ors[16];
    _mm512_store_si512(sums, zeroRuns);
    _mm512_store_si512(ors, magnitudes);
    for (long long sum : sums) tally->zeroRuns += sum;
    for (unsigned bits : ors) tally->magnitudes |= bits;
    tally->endsOfBlock += endsOfBlock;
}

AcRowCounter chooseAcCounter() {
    __builtin_cpu_init();
    bool avx512 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                  __builtin_cpu_supports("avx512cd") && __builtin_cpu_supports("avx512vbmi") &&
                  __builtin_cpu_supports("avx512vbmi2");
    return avx512 ? countAcRowWithAvx512 : countAcRowPortably;
}
#else
AcRowCounter chooseAcCounter() { return countAcRowPortably; }
#endif

// How the scan walks one component: MCUs of h x v blocks, mcusPerRow by mcuRows of them.
struct ComponentWalk {
    int h, v;
    JDIMENSION mcusPerRow, mcuRows;
};

ComponentWalk walkOf(j_compress_ptr dst, const jpeg_component_info& info) {
    if (dst->num_components == 1) return {1, 1, info.width_in_blocks, info.height_in_blocks};
    auto mcuColumns = static_cast<JDIMENSION>(
        jdiv_round_up(static_cast<long>(dst->image_width), static_cast<long>(dst->max_h_samp_factor * DCTSIZE)));
    return {info.h_samp_factor, info.v_samp_factor, mcuColumns, dst->total_iMCU_rows};
}

// The DC differences in the order the scan codes the blocks.
struct DcTally {
    long categories[17];
    int lastDc;
    unsigned magnitudes;  // every difference or-ed in
    long edgeBlocks;      // the writer's blocks past the component's edge: DC difference 0, EOB
    unsigned toRestart;   // MCUs until the next restart
};

void countDcOfMcuRow(JBLOCKARRAY blocks, int rows, const ComponentWalk& walk, JDIMENSION width,
                     unsigned restartInterval, DcTally& tally) {
    for (JDIMENSION mcu = 0; mcu < walk.mcusPerRow; ++mcu) {
        if (restartInterval) {
            if (tally.toRestart == 0) {
                tally.lastDc = 0;
                tally.toRestart = restartInterval;
            }
            --tally.toRestart;
        }
        JDIMENSION left = mcu * static_cast<JDIMENSION>(walk.h);
        for (int y = 0; y < walk.v; ++y)
            for (int x = 0; x < walk.h; ++x) {
                JDIMENSION column = left + static_cast<JDIMENSION>(x);
                if (y >= rows || column >= width) {
                    ++tally.edgeBlocks;
                    continue;
                }
                int dc = blocks[y][column][0];
                unsigned magnitude = magnitudeOf(dc - tally.lastDc);
                tally.lastDc = dc;
                tally.magnitudes |= magnitude;
                ++tally.categories[bitLength(magnitude)];
            }
    }
}

void countComponent(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr array, int component,
                    AcRowCounter countAcRow, SymbolCounts* counts) {
    const jpeg_component_info& info = dst->comp_info[component];
    const ComponentWalk walk = walkOf(dst, info);
    AcTally ac{};
    DcTally dc{};
    for (JDIMENSION mcuRow = 0; mcuRow < walk.mcuRows; ++mcuRow) {
        JDIMENSION top = mcuRow * static_cast<JDIMENSION>(walk.v);
        int rows = std::min(walk.v, static_cast<int>(info.height_in_blocks - top));
        JBLOCKARRAY blocks = accessBlockRows(src, array, top, rows, false);
        for (int y = 0; y < rows; ++y) countAcRow(blocks[y], info.width_in_blocks, &ac);
        countDcOfMcuRow(blocks, rows, walk, info.width_in_blocks, dst->restart_interval, dc);
    }
    if (dc.magnitudes >> kDcDifferenceBits || ac.magnitudes >> kAcCoefficientBits) ERREXIT(dst, JERR_BAD_DCT_COEF);
    std::fill(counts->dc, counts->dc + 257, 0L);
    std::copy(dc.categories, dc.categories + 17, counts->dc);
    counts->dc[0] += dc.edgeBlocks;
    std::copy(ac.symbols, ac.symbols + 256, counts->ac);
    counts->ac[256] = 0;
    counts->ac[0] += ac.endsOfBlock + dc.edgeBlocks;
    counts->ac[0xF0] += ac.zeroRuns;
}

}  // namespace

void countSymbols(j_decompress_ptr src, j_compress_ptr dst, jvirt_barray_ptr* arrays, SymbolCounts* counts) {
    const AcRowCounter countAcRow = fastestAcCounter();
    for (int c = 0; c < dst->num_components; ++c) countComponent(src, dst, arrays[c], c, countAcRow, &counts[c]);
}

AcRowCounter portableAcCounter() { return countAcRowPortably; }

AcRowCounter fastestAcCounter() {
    static const AcRowCounter fastest = chooseAcCounter();
    return fastest;
}

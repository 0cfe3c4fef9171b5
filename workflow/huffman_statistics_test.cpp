#include "workflow/huffman_statistics.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

namespace {

AcTally tallyOf(AcRowCounter count, const std::vector<JBLOCK>& blocks) {
    AcTally tally{};
    count(blocks.data(), static_cast<JDIMENSION>(blocks.size()), &tally);
    return tally;
}

// Blocks of every density, with runs of 16 and more, a last coefficient set or not, and values
// up to the extremes a 16-bit coefficient holds (out of range, but tallied all the same).
std::vector<JBLOCK> variedBlocks() {
    std::uint32_t state = 12345;
    auto next = [&state] { return (state = state * 1664525u + 1013904223u) >> 8; };
    const JCOEF extremes[] = {1, -1, 2, -3, 1023, -1023, 1024, 32767, -32768};
    std::vector<JBLOCK> blocks(600);
    for (size_t b = 0; b < blocks.size(); ++b) {
        JCOEF* block = blocks[b];
        unsigned density = b % 9;  // in ninths of the coefficients
        for (int k = 0; k < DCTSIZE2; ++k) {
            if (next() % 9 >= density) continue;
            block[k] = b % 5 == 0 ? extremes[next() % 9] : static_cast<JCOEF>(int(next() % 61) - 30);
        }
        if (b % 7 == 0) block[DCTSIZE2 - 1] = 5;
    }
    return blocks;
}

TEST(HuffmanStatistics, FastestKernelCountsAsThePortableOne) {
    if (fastestAcCounter() == portableAcCounter()) GTEST_SKIP() << "no faster kernel on this processor";
    const std::vector<JBLOCK> blocks = variedBlocks();
    AcTally fast = tallyOf(fastestAcCounter(), blocks), portable = tallyOf(portableAcCounter(), blocks);
    EXPECT_TRUE(std::equal(fast.symbols, fast.symbols + 256, portable.symbols));
    EXPECT_EQ(fast.zeroRuns, portable.zeroRuns);
    EXPECT_EQ(fast.endsOfBlock, portable.endsOfBlock);
    EXPECT_EQ(fast.magnitudes, portable.magnitudes);
    EXPECT_GT(portable.zeroRuns, 0);
}

}  // namespace

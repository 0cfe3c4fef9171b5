#include "transform/zeroed_mapping.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Huge pages form only in 2 MiB-aligned stretches of a mapping, so a large mapping must start
// on such a boundary; small ones and declined ones need not.
TEST(ZeroedMapping, ZeroedWritableAndAlignedForHugePagesWhenLarge) {
    struct Case {
        std::size_t bytes;
        bool hugePages, aligned;
    };
    const Case cases[] = {{5 * kHugePageBytes + 1, true, true}, {kHugePageBytes - 1, true, false}, {1, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        ZeroedMapping mapping = mapZeroedMemory(c.bytes, c.hugePages);
        ASSERT_NE(mapping.start, nullptr);
        EXPECT_GE(mapping.length, c.bytes);
        auto address = reinterpret_cast<std::uintptr_t>(mapping.start);
        EXPECT_EQ(c.aligned ? address % kHugePageBytes : 0, 0u);
        EXPECT_EQ(mapping.start[0] | mapping.start[c.bytes - 1], 0);
        mapping.start[c.bytes - 1] = 1;
        unmapZeroedMemory(mapping);
        EXPECT_EQ(mapping.start, nullptr);
    }
}

}  // namespace

#include "jpegfile/mpf_index.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/multi_picture.h"

namespace {

using namespace testsupport;

class MpIndexTest : public ::testing::TestWithParam<ByteOrder> {
protected:
    const std::vector<MpEntryValues> values = {{0x20030000, 5000, 0}, {0x00000000, 700, 4990}, {0x00020002, 900, 5690}};
    MpfPayload mpf = makeMpfPayload(GetParam(), values);
    void put(std::size_t at, std::uint32_t value, int width) { putNumber(mpf.payload, at, value, width, GetParam()); }
};

TEST_P(MpIndexTest, ReadsEveryEntryWithItsFieldsAndRewritesSizesAndOffsetsInItsByteOrder) {
    MpIndex index;
    std::string reason;
    ASSERT_TRUE(readMpIndex(mpf.payload.data(), mpf.payload.size(), &index, &reason)) << reason;
    EXPECT_EQ(index.bigEndian, GetParam() == ByteOrder::Motorola);
    ASSERT_EQ(index.entries.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const MpEntry& entry = index.entries[i];
        EXPECT_EQ((MpEntryValues{entry.attribute, entry.size, entry.offset}), values[i]);
        EXPECT_EQ(entry.sizeAt, mpf.entriesAt + 16 * i + 4);
        EXPECT_EQ(entry.offsetAt, mpf.entriesAt + 16 * i + 8);
    }
    index.entries[1].size = 0x01020304;
    index.entries[2].offset = 0xA0B0C0D0;
    ASSERT_TRUE(writeMpEntries(mpf.payload.data(), mpf.payload.size(), index));
    std::vector<MpEntryValues> changed = values;
    changed[1][1] = 0x01020304;
    changed[2][2] = 0xA0B0C0D0;
    EXPECT_EQ(mpf.payload, makeMpfPayload(GetParam(), changed).payload);
    EXPECT_FALSE(writeMpEntries(mpf.payload.data(), mpf.entriesAt + 40, index)) << "a field past the end";
}

// Every number read must lie inside the payload; an index that contradicts itself is refused.
// Without an entry list (the attribute directory of a further picture) it lists no picture.
TEST_P(MpIndexTest, MalformedIndexesAreRefusedWithAReason) {
    const std::size_t directory = 12, entriesTag = directory + 2 + 24;  // the third directory entry
    struct Case { const char* name; std::function<void()> spoil; std::size_t keep; const char* reason; };
    const Case cases[] = {
        {"cut inside the header", [] {}, 10, "the multi-picture segment is too short"},
        {"no MPF identifier", [&] { mpf.payload[2] = 'X'; }, 0, "the multi-picture segment is too short"},
        {"unknown byte order", [&] { mpf.payload[4] = 'X'; }, 0, "the multi-picture index has no valid byte order"},
        {"directory outside", [&] { put(8, 0xFFFFFFF0, 4); }, 0, "the multi-picture index lies partly outside its segment"},
        {"too many tags", [&] { put(directory, 0xFFFF, 2); }, 0, "the multi-picture index lies partly outside its segment"},
        {"entries outside", [&] { put(entriesTag + 8, 0xFFFFFFF8, 4); }, 0, "the multi-picture index lies partly outside its segment"},
        {"cut inside the entries", [] {}, 100, "the multi-picture index lies partly outside its segment"},
        {"odd entry bytes", [&] { put(entriesTag + 4, 47, 4); }, 0, "the multi-picture index has malformed picture entries"},
        {"entries not UNDEFINED", [&] { put(entriesTag + 2, 4, 2); }, 0, "the multi-picture index has malformed picture entries"},
        {"count differs", [&] { put(directory + 2 + 12 + 8, 2, 4); }, 0,
         "the multi-picture index counts its pictures differently from the entries it lists"},
        {"no entry list", [&] { put(entriesTag, 0xB00F, 2); }, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mpf = makeMpfPayload(GetParam(), values);
        c.spoil();
        MpIndex index;
        std::string reason;
        EXPECT_EQ(readMpIndex(mpf.payload.data(), c.keep ? c.keep : mpf.payload.size(), &index, &reason), !*c.reason);
        EXPECT_EQ(reason, c.reason);
        EXPECT_TRUE(index.entries.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(BothByteOrders, MpIndexTest, ::testing::Values(ByteOrder::Intel, ByteOrder::Motorola));

}  // namespace

#include "jpegfile/segment_fields.h"

#include <gtest/gtest.h>

#include <string>

#include "exif/photo_info.h"
#include "jpegfile/section_test_helpers.h"

namespace sectiontest {
namespace {

// The comment as storeComment leaves it for a COM segment with `payload`.
std::string cleaned(const Bytes& payload) {
    clearPhotoInfo();
    Bytes whole = segment(0xFE, payload);
    storeComment(whole.data() + 2, static_cast<int>(whole.size() - 2));
    return photoInfo.comments;
}

TEST(StoreCommentTest, LineEndsAndControlBytesAreCleaned) {
    EXPECT_EQ(cleaned(text("one\r\ntwo\r\n")), "one\ntwo\n");
    EXPECT_EQ(cleaned(text("lone\rcr")), "lone?cr");
    EXPECT_EQ(cleaned(text(std::string("nul\0end", 7))), "nul?end");
    EXPECT_EQ(cleaned(text("tab\tbell\x07 esc\x1b")), "tab\tbell? esc?");
    EXPECT_EQ(cleaned(text("\r\r\n")), "?\n");
    EXPECT_EQ(cleaned(text("ends in cr\r")), "ends in cr?");
}

TEST(StoreCommentTest, HighBytesAreKeptAsTheyAre) {
    EXPECT_EQ(cleaned(text("caf\xc3\xa9 \x80\xff")), "caf\xc3\xa9 \x80\xff");
}

TEST(StoreCommentTest, LongCommentYieldsAtMost1998Characters) {
    EXPECT_EQ(cleaned(Bytes(2000, 'x')), std::string(1998, 'x'));
    EXPECT_EQ(cleaned(Bytes(1998, 'y')), std::string(1998, 'y'));
    EXPECT_EQ(cleaned(Bytes(1997, 'z')), std::string(1997, 'z'));
}

TEST(StoreCommentTest, PairAcrossTheCutStillDropsTheCarriageReturn) {
    // The CR is the last byte taken; the LF that follows it is inside the segment but past the cut.
    Bytes payload(1997, 'a');
    payload.push_back('\r');
    payload.push_back('\n');
    EXPECT_EQ(cleaned(payload), std::string(1997, 'a'));
}

TEST(StoreCommentTest, EmptyCommentIsEmptyText) { EXPECT_EQ(cleaned({}), ""); }

TEST(SegmentFieldsTest, FrameMarkersAreTheSofCodesOnly) {
    for (int code = 0; code < 0x100; ++code) {
        bool frame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
        EXPECT_EQ(isFrameMarker(code), frame) << code;
    }
    EXPECT_FALSE(isFrameMarker(0x123));
}

TEST(SegmentFieldsTest, BigEndianLength) {
    const unsigned char bytes[] = {0xFF, 0xE1};
    EXPECT_EQ(readBigEndian16(bytes), 0xFFE1);
}

}  // namespace
}  // namespace sectiontest

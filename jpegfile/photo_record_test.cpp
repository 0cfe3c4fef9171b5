#include "jpegfile/photo_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <thread>

#include "tests/support/hand_made.h"
#include "jpegfile/photo_writer.h"
#include "jpegfile/segment_walk.h"
#include "tests/support/camera_photo.h"
#include "tests/support/exif_builder.h"

namespace {

using namespace testsupport;
using namespace handmade;
using Codes = std::vector<int>;

const Bytes kDqt = segment(0xDB, Bytes(65, 1));

Bytes exifMadeBy(const std::string& make) {
    ExifSpec recipe;
    recipe.ifd0 = {asciiEntry(0x010F, make)};
    return buildExif(recipe).payload;
}

Result<PhotoRecord> read(const Bytes& file) { return readPhotoRecord(file.data(), file.size(), "photo.jpg"); }

Codes codesOf(const PhotoRecord& record) {
    Codes codes;
    for (const Segment& segment : record.segments) codes.push_back(segment.marker);
    return codes;
}

// Every segment stays in file order with its offset; only the first Exif block and the first
// comment are parsed, so that the record describes the block that is kept first. Any number of
// fill bytes may stand before a marker, and stray bytes that libjpeg skips (an XMP packet longer
// than its segment says, an Adobe segment whose marker was lost) are kept behind the segment they
// follow: the reader and the in-place segment walk agree.
TEST(PhotoRecord, KeepsEverySegmentAndParsesTheFirstExifAndComment) {
    const std::vector<Bytes> pieces = {
        segment(0xE0, text("JFIF\0\x01\x02")), segment(0xE1, text("exif\0\0")), segment(0xE1, exifMadeBy("First")),
        segment(0xE1, text("http://ns.adobe.com/xap/1.0/\0<x/>")), segment(0xE1, exifMadeBy("Second")),
        segment(0xE0, text("HEAPJPGM")), segment(0xFE, text("first")), segment(0xFE, text("second")), kDqt,
        segment(0xEF, text("last")), segment(0xFE, {})};
    const Bytes lostAdobe = text("\0\x0e" "Adobe\0\x64\0\0\0\0\x01\xFF\0");
    const std::map<size_t, Bytes> strays = {{3, text("\r\n")}, {8, lostAdobe}};
    std::vector<Bytes> filled = {text("soi?"), Bytes(1000, 0xFF)};
    for (size_t i = 0; i < pieces.size(); ++i) {
        filled.push_back(join(Bytes(filled.size() % 3 * 7, 0xFF), pieces[i]));
        if (strays.count(i)) filled.push_back(strays.at(i));
    }
    const Bytes file = handMadeFile(filled);
    const Result<PhotoRecord> got = read(file);
    ASSERT_TRUE(got.ok()) << got.refusal().text();
    const PhotoRecord& record = got.value();
    EXPECT_EQ(codesOf(record), (Codes{0xE0, 0xE1, 0xE1, 0xE1, 0xE1, 0xE0, 0xFE, 0xFE, 0xDB, 0xEF, 0xFE, 0xDA}));
    EXPECT_EQ(record.strayAfterSoi, text("soi?"));
    for (size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_EQ(record.segments[i].bytes, Bytes(pieces[i].begin() + 2, pieces[i].end())) << i;
        EXPECT_EQ(Bytes(file.begin() + long(record.segments[i].offset), file.begin() + long(record.segments[i].offset) + 2),
                  Bytes(pieces[i].begin(), pieces[i].begin() + 2)) << i;
        EXPECT_EQ(record.segments[i].strayAfter, strays.count(i) ? strays.at(i) : Bytes{}) << i;
    }
    EXPECT_STREQ(record.info.cameraMake, "First");
    EXPECT_STREQ(record.info.comments, "first");
    EXPECT_EQ(record.exifSegment, 2);
    EXPECT_EQ(record.segments[3].kind, SegmentKind::Xmp);
    EXPECT_EQ(record.pictureDataAt, file.size() - 5);
    Codes walked;
    for (const SegmentSpan& span : segmentsBeforeScan(file.data(), file.size())) walked.push_back(span.markerCode);
    EXPECT_EQ(walked, codesOf(record));
}

// Each way a read ends: the reason, the detail and the reader's notes.
TEST(PhotoRecord, ReadsThatCannotBeDoneSayWhy) {
    struct Case { Bytes file; RefusalReason reason; std::string detail; };
    const std::string past = "more than 10000 segments before its picture";
    const Case cases[] = {
        {{0xFF}, RefusalReason::NotJpeg, ""},
        {join({0xFF, 0xD8}, Bytes(1000, 0xFF)), RefusalReason::DamagedData, kEndsBeforePicture},
        {{0xFF, 0xD8, 0xFF, 0xFE, 0x01, 0x00, 'h', 'i'}, RefusalReason::DamagedData, kEndsBeforePicture},
        {{0xFF, 0xD8, 0x12, 0xFE, 0x01, 0x00, 'h', 'i'}, RefusalReason::DamagedData, kEndsBeforePicture},
        {{0xFF, 0xD8, 0xFF, 0xD9, 0x00, 0x02}, RefusalReason::UnreadableMetadata, kNoPictureData},
        {{0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x01}, RefusalReason::UnreadableMetadata, "invalid marker"},
        {handMadeFile(std::vector<Bytes>(10000, segment(0xFE, {}))), RefusalReason::UnreadableMetadata, past},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.file).substr(0, 60));
        const Result<PhotoRecord> got = read(c.file);
        ASSERT_FALSE(got.ok());
        EXPECT_EQ(got.refusal().reason, c.reason);
        EXPECT_EQ(got.refusal().detail, c.detail);
    }
    EXPECT_TRUE(read(handMadeFile(std::vector<Bytes>(9999, segment(0xFE, {})))).ok());
}

// The first comment as the record shows it.
TEST(PhotoRecord, CommentLineEndsAndControlBytesAreCleanedHighBytesKeptAndTheTextEndsAtByte2000) {
    auto cleaned = [](const Bytes& payload) { return std::string(read(handMadeFile({segment(0xFE, payload)})).value().info.comments); };
    const std::pair<Bytes, std::string> cases[] = {
        {text("one\r\ntwo\r\n"), "one\ntwo\n"}, {text("lone\rcr"), "lone?cr"}, {text("nul\0end"), "nul?end"},
        {text("tab\tbell\x07 esc\x1b"), "tab\tbell? esc?"}, {text("\r\r\n"), "?\n"}, {text("cr\r"), "cr?"},
        {text("caf\xc3\xa9 \x80\xff"), "caf\xc3\xa9 \x80\xff"}, {{}, ""},
    };
    for (const auto& [payload, expected] : cases) EXPECT_EQ(cleaned(payload), expected) << expected;
    EXPECT_EQ(cleaned(Bytes(2000, 'x')), std::string(1998, 'x'));
    // A CR taken as the last byte still pairs with the LF past the cut.
    EXPECT_EQ(cleaned(join(Bytes(1997, 'a'), text("\r\n"))), std::string(1997, 'a'));
}

// The written file: SOI, the record's application segments and comments byte for byte and in
// order (a JFIF header beside an Exif block too, and none is added), each with the stray bytes
// behind it (those behind the picture's own tables where the tables stood), then the picture
// from behind its SOI, then the tail.
TEST(PhotoWriter, KeptSegmentsStandInFrontOfThePicture) {
    const Bytes exif = exifMadeBy("kept"), jfif = text("JFIF\0\x01\x02\x01\0\x48\0\x48\0\0");
    const Bytes picture = join({0xFF, 0xD8}, join(kDqt, text("\xFF\xDA scans \xFF\xD9")));
    struct Case { std::vector<Bytes> pieces, expected; };
    const Case cases[] = {
        {{segment(0xE0, jfif), segment(0xE1, exif), kDqt, segment(0xFE, text("c")), segment(0xEE, text("Adobe"))},
         {segment(0xE0, jfif), segment(0xE1, exif), segment(0xFE, text("c")), segment(0xEE, text("Adobe"))}},
        {{segment(0xE0, jfif), kDqt, segment(0xFE, text("c"))}, {segment(0xE0, jfif), segment(0xFE, text("c"))}},
        {{text("<"), segment(0xE1, exif), text("\r\n"), kDqt, text("db"), segment(0xFE, text("c")), text("\xFF\0")},
         {text("<"), segment(0xE1, exif), text("\r\n"), text("db"), segment(0xFE, text("c")), text("\xFF\0")}},
    };
    for (const Case& c : cases) {
        const Result<PhotoRecord> record = read(handMadeFile(c.pieces));
        ASSERT_TRUE(record.ok());
        Bytes expected{0xFF, 0xD8};
        for (const Bytes& piece : c.expected) expected = join(expected, piece);
        expected = join(join(expected, Bytes(picture.begin() + 2, picture.end())), text("tail"));
        EXPECT_EQ(writePhoto(record.value(), picture, text("tail")), expected);
    }
}

// Records are values: read on several threads at once, each is what a read on its own gives.
TEST(PhotoRecord, RecordsReadOnFourThreadsAtOnceMatchThoseReadOneAtATime) {
    std::vector<Bytes> photos;
    for (int i = 0; i < 50; ++i) {
        CameraPhotoSpec recipe;
        recipe.seed = std::uint32_t(i + 1);
        recipe.order = i % 2 ? ByteOrder::Motorola : ByteOrder::Intel;
        recipe.orientation = 1 + i % 8;
        recipe.width = 32 + 8 * (i % 5);
        recipe.dateText = "2008:05:" + std::to_string(10 + i % 20) + " 14:30:00";
        photos.push_back(makeCameraPhoto(recipe).jpeg);
    }
    std::vector<PhotoRecord> alone, together(photos.size());
    for (const Bytes& photo : photos) alone.push_back(read(photo).value());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (std::size_t i = std::size_t(t); i < photos.size(); i += 4) together[i] = read(photos[i]).value();
        });
    for (std::thread& thread : threads) thread.join();
    for (std::size_t i = 0; i < photos.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::memcmp(&alone[i].info, &together[i].info, sizeof(PhotoInfo)), 0);
        EXPECT_EQ(alone[i].exifLayout.orientationEntries, together[i].exifLayout.orientationEntries);
        EXPECT_EQ(alone[i].exifLayout.order.motorola, i % 2 == 1);
        EXPECT_EQ(alone[i].info.orientation, int(1 + i % 8));
        EXPECT_EQ(codesOf(alone[i]), codesOf(together[i]));
        EXPECT_EQ(listTags(alone[i]), listTags(together[i]));
    }
}

}  // namespace

#include "jpegfile/section_test_helpers.h"
#include "jpegfile/segment_fields.h"
#include "jpegfile/segment_walk.h"
#include "tests/support/exif_builder.h"

namespace sectiontest {
namespace {

using Codes = std::vector<int>;

const Bytes kDqt = segment(0xDB, Bytes(65, 1));

Bytes exifMadeBy(const std::string& make) {
    ExifSpec recipe;
    recipe.ifd0 = {asciiEntry(0x010F, make)};
    return buildExif(recipe).payload;
}

// Every APPn and COM stays in file order; only the first Exif block and the first comment are
// parsed, so that photoInfo describes the block that is kept first. Any number of fill bytes may
// stand before a marker: the reader and the segment walk agree.
TEST_F(SectionTableTest, MetadataReadKeepsEveryApplicationSegmentAndParsesTheFirstExifAndComment) {
    const std::vector<Bytes> pieces = {
        segment(0xE0, text("JFIF\0\x01\x02")), segment(0xE1, text("exif\0\0")), segment(0xE1, exifMadeBy("First")),
        segment(0xE1, text("http://ns.adobe.com/xap/1.0/\0<x/>")), segment(0xE1, exifMadeBy("Second")),
        segment(0xE0, text("HEAPJPGM")), segment(0xFE, text("first")), segment(0xFE, text("second")), kDqt,
        segment(0xEF, text("last")), segment(0xFE, {})};
    std::vector<Bytes> filled = {Bytes(1000, 0xFF)};
    for (const Bytes& piece : pieces) filled.push_back(join(Bytes(filled.size() % 3 * 7, 0xFF), piece));
    const Bytes file = handMadeFile(filled);
    ASSERT_EQ(readFromMemory(file, ReadMetadata), 1);
    EXPECT_EQ(tableCodes(), (Codes{0xE0, 0xE1, 0xE1, 0xE1, 0xE1, 0xE0, 0xFE, 0xFE, 0xDB, 0xEF, 0xFE, 0xDA}));
    for (size_t i = 0; i < pieces.size(); ++i)
        EXPECT_EQ(bytesOf(sectionTable.entries[i]), Bytes(pieces[i].begin() + 2, pieces[i].end())) << i;
    EXPECT_STREQ(photoInfo.cameraMake, "First");
    EXPECT_STREQ(photoInfo.comments, "first");
    EXPECT_EQ(findExifSection(), &sectionTable.entries[2]);
    EXPECT_EQ(findSectionByMarker(0xDB), &sectionTable.entries[8]);
    Codes walked;
    for (const SegmentSpan& span : segmentsBeforeScan(file.data(), file.size())) {
        walked.push_back(span.markerCode);
        EXPECT_EQ(file[span.payloadAt - 2] << 8 | file[span.payloadAt - 1], int(span.payloadSize + 2));
    }
    EXPECT_EQ(walked, tableCodes());
    EXPECT_EQ(segmentsBeforeScan(file.data(), 1009 + pieces[0].size() + 14 + 6).size(), 1u) << "cut inside the second segment";
}

// Fill bytes, early ends, the 100-entry limit (a file with more segments is refused, never cut
// short) and image data that cannot be taken whole (a cut-off photograph must never be written
// back). Each file is read from a stream and from memory with the same results.
TEST_F(SectionTableTest, ReadsEndWithTheirResultAndDiagnostic) {
    struct Case { Bytes file; int mode, result, count; Texts errors; std::string out; int missing = 0; };
    const Bytes fill(1000, 0xFF);
    const Case cases[] = {
        {handMadeFile({Bytes(5, 0xFF), kDqt}), ReadImageData, 1, 3, {}, ""},
        {join({0xFF, 0xD8}, fill), ReadMetadata, 0, 0, {"invalid marker"}, ""},
        {{0xFF, 0xD8, 0xFF, 0xD9, 0x00, 0x02}, ReadMetadata, 0, 1, {}, "No image in jpeg!\n"},
        {{0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x01}, ReadMetadata, 0, 0, {"invalid marker"}, ""},
        {handMadeFile(std::vector<Bytes>(100, kDqt)), ReadMetadata, 0, 100, {"Too many sections in jpg file"}, ""},
        {handMadeFile(std::vector<Bytes>(99, kDqt)), ReadMetadata, 1, 100, {}, ""},
        {handMadeFile(std::vector<Bytes>(99, kDqt)), ReadImageData, 0, 100, {"Too many sections in jpg file"}, ""},
        {handMadeFile(std::vector<Bytes>(150, segment(0xE0, {}))), ReadImageData, 1, 2, {}, ""},
        {handMadeFile(std::vector<Bytes>(150, segment(0xE0, {}))), ReadMetadata, 0, 100, {"Too many sections in jpg file"}, ""},
        {handMadeFile({kDqt}), ReadImageData, 0, 2, {"could not read the rest of the image"}, "", 10},  // cut short
        {handMadeFile({kDqt}), ReadImageData, 0, 2, {"could not read the rest of the image"}, "", -1},  // a pipe
    };
    for (const Case& c : cases) {
        for (bool fromMemory : {false, true}) {
            if (fromMemory && c.missing) continue;
            SCOPED_TRACE(testing::PrintToString(c.file).substr(0, 80) + (fromMemory ? " from memory" : ""));
            releaseSections();
            clearReportedErrors();
            testing::internal::CaptureStdout();
            EXPECT_EQ(fromMemory ? readSectionsFromMemory(c.file.data(), c.file.size(), c.mode)
                                 : readFromMemory(c.file, c.mode, c.missing),
                      c.result);
            EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
            EXPECT_EQ(reportedErrors(), c.errors);
            EXPECT_EQ(sectionTable.count, c.count);
            EXPECT_EQ(sectionTable.imageDataLoaded, c.result && c.mode == ReadImageData);
        }
    }
}

// Bytes announced but never read must neither reach a written file nor the comment.
TEST_F(SectionTableTest, SegmentCutShortIsShrunkToWhatWasReadWithAMatchingLength) {
    const Bytes file{0xFF, 0xD8, 0xFF, 0xFE, 0x01, 0x00, 'h', 'i', '\r'};
    EXPECT_EQ(readSectionsFromMemory(file.data(), file.size(), ReadMetadata), 0);
    EXPECT_EQ(reportedErrors(), (Texts{"Premature end of file?", "invalid marker"}));
    EXPECT_EQ(bytesOf(sectionTable.entries[0]), (Bytes{0x00, 0x05, 'h', 'i', '\r'}));
    EXPECT_STREQ(photoInfo.comments, "hi?");
}

// The comment as storeComment leaves it for a COM segment with `payload`.
std::string cleaned(const Bytes& payload) {
    Bytes whole = segment(0xFE, payload);
    storeComment(whole.data() + 2, static_cast<int>(whole.size() - 2));
    return photoInfo.comments;
}

TEST(StoreCommentTest, LineEndsAndControlBytesAreCleanedHighBytesKeptAndTheTextEndsAtByte2000) {
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

}  // namespace
}  // namespace sectiontest

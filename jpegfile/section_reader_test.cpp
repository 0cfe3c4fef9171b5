#include "jpegfile/section_test_helpers.h"
#include "jpegfile/segment_fields.h"

namespace sectiontest {
namespace {

using Codes = std::vector<int>;

const Bytes kExif = text("Exif\0\0MM\0\x2a\0\0\0\x08\0\0");
const Bytes kDqt = segment(0xDB, Bytes(65, 1));

TEST_F(SectionTableTest, MetadataReadKeepsTheExifApp1AndTheFirstCommentOnly) {
    Bytes file = handMadeFile({segment(0xE0, text("JFIF")), segment(0xE1, text("exif\0\0")), segment(0xE1, kExif),
                               segment(0xE1, text("http://ns.adobe.com/xap/1.0/\0<x/>")), segment(0xFE, text("first")),
                               segment(0xFE, text("second")), kDqt, kDqt});
    ASSERT_EQ(readFromMemory(file, ReadMetadata), 1);
    Codes codes;
    for (int i = 0; i < sectionTable.count; ++i) codes.push_back(sectionTable.entries[i].markerCode);
    EXPECT_EQ(codes, (Codes{0xE1, 0xFE, 0xDB, 0xDB, 0xDA}));
    EXPECT_EQ(bytesOf(sectionTable.entries[0]), join({0, 18}, kExif));
    EXPECT_EQ(bytesOf(sectionTable.entries[1]), join({0, 7}, text("first")));
    EXPECT_STREQ(photoInfo.comments, "first");
    EXPECT_EQ(findSectionByMarker(0xDB), &sectionTable.entries[2]);
    EXPECT_EQ(findSectionByMarker(0xE0), nullptr);
}

// Fill bytes, early ends, the 100-entry limit (nothing is stored past the 100th entry) and image
// data that cannot be taken whole (a cut-off photograph must never be written back).
TEST_F(SectionTableTest, ReadsEndWithTheirResultAndDiagnostic) {
    struct Case { Bytes file; int mode, result, count; Texts errors; std::string out; int missing = 0; };
    const Case cases[] = {
        {handMadeFile({Bytes(5, 0xFF), kDqt}), ReadImageData, 1, 3, {}, ""},
        {handMadeFile({Bytes(6, 0xFF), kDqt}), ReadImageData, 0, 0, {}, "too many padding bytes\n"},
        {{0xFF, 0xD8, 0xFF, 0xD9, 0x00, 0x02}, ReadMetadata, 0, 1, {}, "No image in jpeg!\n"},
        {{0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x01}, ReadMetadata, 0, 0, {"invalid marker"}, ""},
        {{0xFF, 0xD8, 0xFF, 0xFF}, ReadMetadata, 0, 0, {"invalid marker"}, ""},
        {handMadeFile(std::vector<Bytes>(100, kDqt)), ReadMetadata, 0, 100, {"Too many sections in jpg file"}, ""},
        {handMadeFile(std::vector<Bytes>(99, kDqt)), ReadMetadata, 1, 100, {}, ""},
        {handMadeFile(std::vector<Bytes>(99, kDqt)), ReadImageData, 0, 100, {"Too many sections in jpg file"}, ""},
        {handMadeFile(std::vector<Bytes>(150, segment(0xE0, {}))), ReadImageData, 1, 2, {}, ""},
        {handMadeFile({kDqt}), ReadImageData, 0, 2, {"could not read the rest of the image"}, "", 10},  // cut short
        {handMadeFile({kDqt}), ReadImageData, 0, 2, {"could not read the rest of the image"}, "", -1},  // a pipe
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.file).substr(0, 80));
        releaseSections();
        clearReportedErrors();
        testing::internal::CaptureStdout();
        EXPECT_EQ(readFromMemory(c.file, c.mode, c.missing), c.result);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
        EXPECT_EQ(reportedErrors(), c.errors);
        EXPECT_EQ(sectionTable.count, c.count);
        EXPECT_EQ(sectionTable.imageDataLoaded, c.result && c.mode == ReadImageData);
    }
}

// Bytes announced but never read must neither reach a written file nor the comment.
TEST_F(SectionTableTest, SegmentCutShortIsShrunkToWhatWasReadWithAMatchingLength) {
    EXPECT_EQ(readFromMemory({0xFF, 0xD8, 0xFF, 0xFE, 0x01, 0x00, 'h', 'i', '\r'}, ReadMetadata), 0);
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

#include "workflow/marker_copy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/jpeg_maker.h"
#include "workflow/transcode_test_support.h"

namespace {

using testsupport::Bytes;
using testsupport::ExtraMarker;
using testsupport::JpegSpec;
using transcodetest::transcodeBytes;

constexpr int kApp0 = 0xE0, kApp1 = 0xE1, kApp2 = 0xE2, kApp14 = 0xEE, kCom = 0xFE;
constexpr int kDqt = 0xDB, kSof0 = 0xC0, kSof2 = 0xC2;

Bytes bytesOf(const std::string& text, std::initializer_list<std::uint8_t> tail = {}) {
    Bytes bytes(text.begin(), text.end());
    bytes.insert(bytes.end(), tail);
    return bytes;
}

Bytes exifPayload() {
    Bytes payload = bytesOf(std::string("Exif\0\0MM\0*", 10));
    for (int i = 0; i < 300; ++i) payload.push_back(static_cast<std::uint8_t>(i * 7 + 3));
    return payload;
}

// The application and comment markers in front of the image, in file order.
std::vector<ExtraMarker> appAndComMarkers(const Bytes& jpeg) {
    std::vector<ExtraMarker> result;
    for (const ExtraMarker& marker : testsupport::listMarkers(jpeg))
        if ((marker.code >= 0xE0 && marker.code <= 0xEF) || marker.code == kCom) result.push_back(marker);
    return result;
}

bool isJfif(const ExtraMarker& m) { return m.code == kApp0 && m.data.size() >= 5 && Bytes(m.data.begin(), m.data.begin() + 5) == bytesOf(std::string("JFIF\0", 5)); }
bool isAdobe(const ExtraMarker& m) { return m.code == kApp14 && m.data.size() >= 5 && Bytes(m.data.begin(), m.data.begin() + 5) == bytesOf("Adobe"); }

int countIf(const std::vector<ExtraMarker>& markers, bool (*predicate)(const ExtraMarker&)) {
    int n = 0;
    for (const ExtraMarker& m : markers) n += predicate(m) ? 1 : 0;
    return n;
}

bool contains(const std::vector<ExtraMarker>& markers, int code, const Bytes& data) {
    for (const ExtraMarker& m : markers)
        if (m.code == code && m.data == data) return true;
    return false;
}

TEST(MarkerCopy, ExifAndCommentFollowTheOneJfifInSourceOrderBeforeTablesAndFrame) {
    JpegSpec spec;
    Bytes exif = exifPayload();
    spec.markers = {{kApp1, exif}, {kCom, bytesOf("first comment")}, {kApp2, bytesOf("ICC_PROFILE", {0, 1, 1})},
                    {kCom, bytesOf("second comment")}};
    Bytes out = transcodeBytes(testsupport::makeJpeg(spec), TransformKind::Rotate270);

    std::vector<ExtraMarker> all = testsupport::listMarkers(out);
    ASSERT_GE(all.size(), 5u);
    EXPECT_TRUE(isJfif(all[0]));
    EXPECT_EQ(all[1].code, kApp1);
    EXPECT_EQ(all[1].data, exif);  // byte for byte
    EXPECT_EQ(all[2].code, kCom);
    EXPECT_EQ(all[2].data, bytesOf("first comment"));
    EXPECT_EQ(all[3].code, kApp2);
    EXPECT_EQ(all[4].code, kCom);
    EXPECT_EQ(all[4].data, bytesOf("second comment"));
    for (size_t i = 5; i < all.size(); ++i) {
        EXPECT_FALSE(all[i].code >= 0xE0 && all[i].code <= 0xEF) << "application marker behind the tables";
        EXPECT_NE(all[i].code, kCom);
    }
    EXPECT_EQ(countIf(all, isJfif), 1);
    bool sawTablesOrFrame = false;
    for (size_t i = 0; i < 5; ++i) sawTablesOrFrame |= all[i].code == kDqt || all[i].code == kSof0 || all[i].code == kSof2;
    EXPECT_FALSE(sawTablesOrFrame);
}

TEST(MarkerCopy, DuplicateJfifIsDroppedButLookalikesAreKept) {
    JpegSpec spec;  // libjpeg writes its own JFIF APP0 into the source and again into the destination
    // With a 1 x 1 thumbnail, which the destination's own JFIF never carries.
    Bytes secondJfif = bytesOf(std::string("JFIF\0", 5), {1, 2, 0, 0, 72, 0, 72, 1, 1, 10, 20, 30});
    Bytes jfxx = bytesOf(std::string("JFXX\0", 5), {0x13, 9, 9});
    Bytes nonZeroFifth = bytesOf("JFIFx", {1, 2});
    Bytes shortJfif = bytesOf("JFIF");
    spec.markers = {{kApp0, secondJfif}, {kApp0, jfxx}, {kApp0, nonZeroFifth}, {kApp0, shortJfif}};
    Bytes out = transcodeBytes(testsupport::makeJpeg(spec), TransformKind::None);

    std::vector<ExtraMarker> markers = appAndComMarkers(out);
    EXPECT_EQ(countIf(markers, isJfif), 1);
    EXPECT_FALSE(contains(markers, kApp0, secondJfif));
    ASSERT_EQ(markers.size(), 4u);
    EXPECT_EQ(markers[1].data, jfxx);
    EXPECT_EQ(markers[2].data, nonZeroFifth);
    EXPECT_EQ(markers[3].data, shortJfif);
}

TEST(MarkerCopy, JfifOfTheSourceIsKeptWhenTheDestinationWritesNone) {
    JpegSpec spec;
    spec.color = testsupport::ColorKind::Cmyk;  // libjpeg writes no JFIF for CMYK
    Bytes jfif = bytesOf(std::string("JFIF\0", 5), {1, 1, 0, 0, 1, 0, 1, 0, 0});
    spec.markers = {{kApp0, jfif}};
    Bytes out = transcodeBytes(testsupport::makeJpeg(spec), TransformKind::None);
    EXPECT_TRUE(contains(appAndComMarkers(out), kApp0, jfif));
}

TEST(MarkerCopy, AdobeIsKeptWhenTheDestinationWritesNoneOfItsOwn) {
    JpegSpec spec;  // YCbCr with JFIF: no Adobe marker of libjpeg's
    Bytes adobe = bytesOf("Adobe", {0, 100, 0, 0, 0, 0, 1});
    spec.markers = {{kApp14, adobe}};
    Bytes out = transcodeBytes(testsupport::makeJpeg(spec), TransformKind::Rotate90);
    std::vector<ExtraMarker> markers = appAndComMarkers(out);
    EXPECT_TRUE(contains(markers, kApp14, adobe));
    EXPECT_EQ(countIf(markers, isAdobe), 1);
}

TEST(MarkerCopy, AdobeIsDroppedWhenTheDestinationWritesItsOwn) {
    JpegSpec spec;
    spec.color = testsupport::ColorKind::Cmyk;  // libjpeg writes an Adobe APP14 for CMYK, source and destination
    Bytes extraAdobe = bytesOf("Adobe", {0, 99, 0x80, 0x00, 0x00, 0x00, 0x02});
    Bytes shortAdobe = bytesOf("Adob");
    spec.markers = {{kApp14, extraAdobe}, {kApp14, shortAdobe}};
    Bytes out = transcodeBytes(testsupport::makeJpeg(spec), TransformKind::Rotate270);
    std::vector<ExtraMarker> markers = appAndComMarkers(out);
    EXPECT_EQ(countIf(markers, isAdobe), 1);  // the destination's own
    EXPECT_FALSE(contains(markers, kApp14, extraAdobe));
    EXPECT_TRUE(contains(markers, kApp14, shortAdobe));
}

TEST(MarkerCopy, OptionsChooseWhatIsSavedAndCopied) {
    JpegSpec spec;
    spec.markers = {{kApp1, exifPayload()}, {kCom, bytesOf("kept")}, {kApp2, bytesOf("dropped")}, {kCom, bytesOf("too")}};
    Bytes jpeg = testsupport::makeJpeg(spec);

    std::vector<ExtraMarker> comments = appAndComMarkers(transcodeBytes(jpeg, TransformKind::None, CopyComments));
    ASSERT_EQ(comments.size(), 3u);
    EXPECT_TRUE(isJfif(comments[0]));  // the destination's own
    EXPECT_EQ(comments[1].data, bytesOf("kept"));
    EXPECT_EQ(comments[2].data, bytesOf("too"));

    std::vector<ExtraMarker> none = appAndComMarkers(transcodeBytes(jpeg, TransformKind::None, CopyNone));
    ASSERT_EQ(none.size(), 1u);
    EXPECT_TRUE(isJfif(none[0]));
}

TEST(MarkerCopy, LargestPossibleMarkerArrivesWhole) {
    Bytes big(65533);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 31 + i / 251);
    big[0] = 'X';
    JpegSpec spec;
    spec.markers = {{kApp2, big}, {kCom, Bytes(65533, 'c')}};
    Bytes out = transcodeBytes(testsupport::makeJpeg(spec), TransformKind::Rotate180);
    std::vector<ExtraMarker> markers = appAndComMarkers(out);
    ASSERT_EQ(markers.size(), 3u);
    EXPECT_EQ(markers[1].data, big);
    EXPECT_EQ(markers[2].data, Bytes(65533, 'c'));
}

}  // namespace

#include "workflow/marker_copy.h"

#include "workflow/coefficient_pass.h"
#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;

constexpr int kApp0 = 0xE0, kApp1 = 0xE1, kApp2 = 0xE2, kApp14 = 0xEE, kCom = 0xFE;

Bytes bytesOf(const std::string& text, std::initializer_list<std::uint8_t> tail = {}) {
    Bytes bytes(text.begin(), text.end());
    bytes.insert(bytes.end(), tail);
    return bytes;
}

Bytes transcoded(const Bytes& jpeg, MarkerCopyOption copy, bool ownHeaders) {
    CoefficientPassResult result =
        runCoefficientPass({jpeg.data(), jpeg.size(), TransformKind::Rotate270, false, false, copy, ownHeaders});
    EXPECT_TRUE(result.ok()) << result.message;
    return result.output;
}

struct MarkerCase {
    const char* name;
    ColorKind color;  // YCbCr: libjpeg writes its own JFIF APP0 in both files; CMYK: its own Adobe APP14
    MarkerCopyOption copy;
    std::vector<ExtraMarker> source;  // behind libjpeg's own header marker
    std::vector<ExtraMarker> kept;    // expected behind the destination's own header marker
    bool ownHeaders = true;           // false: neither file has libjpeg's own marker, the copied ones stand alone
};

TEST(MarkerCopy, KeepsSourceMarkersInOrderAndDropsOnlyDuplicatesOfTheDestinationsOwn) {
    Bytes exif = bytesOf(std::string("Exif\0\0MM\0*", 10));
    for (int i = 0; i < 300; ++i) exif.push_back(static_cast<std::uint8_t>(i * 7 + 3));
    const Bytes largest(65533, 'L'), largestComment(65533, 'c');
    const Bytes secondJfif = bytesOf(std::string("JFIF\0", 5), {1, 2, 0, 0, 72, 0, 72, 1, 1, 10, 20, 30});
    const Bytes jfxx = bytesOf(std::string("JFXX\0", 5), {0x13, 9, 9}), lookalike = bytesOf("JFIFx", {1});
    const Bytes plainJfif = bytesOf(std::string("JFIF\0", 5), {1, 1, 0, 0, 1, 0, 1, 0, 0});
    const Bytes adobe = bytesOf("Adobe", {0, 100, 0, 0, 0, 0, 1});
    const Bytes comment = bytesOf("a comment"), icc = bytesOf("ICC_PROFILE", {0, 1, 1});
    const std::vector<ExtraMarker> camera = {{kApp1, exif}, {kCom, comment}, {kApp2, icc}, {kCom, bytesOf("too")}};
    const MarkerCase cases[] = {
        {"everything, the largest markers whole", ColorKind::YCbCr, CopyAll,
         {{kApp1, exif}, {kCom, comment}, {kApp2, largest}, {kCom, largestComment}},
         {{kApp1, exif}, {kCom, comment}, {kApp2, largest}, {kCom, largestComment}}},
        {"second JFIF dropped, JFXX and lookalikes kept, Adobe kept", ColorKind::YCbCr, CopyAll,
         {{kApp0, secondJfif}, {kApp0, jfxx}, {kApp0, lookalike}, {kApp0, bytesOf("JFIF")}, {kApp14, adobe}},
         {{kApp0, jfxx}, {kApp0, lookalike}, {kApp0, bytesOf("JFIF")}, {kApp14, adobe}}},
        {"CMYK: JFIF kept, second Adobe dropped", ColorKind::Cmyk, CopyAll,
         {{kApp0, plainJfif}, {kApp14, adobe}, {kApp14, bytesOf("Adob")}},
         {{kApp0, plainJfif}, {kApp14, bytesOf("Adob")}}},
        {"comments only", ColorKind::YCbCr, CopyComments, camera, {{kCom, comment}, {kCom, bytesOf("too")}}},
        {"none", ColorKind::YCbCr, CopyNone, camera, {}},
        {"no own headers: the source's JFIF kept", ColorKind::YCbCr, CopyAll, {{kApp0, secondJfif}, {kApp1, exif}},
         {{kApp0, secondJfif}, {kApp1, exif}}, false},
        {"no own headers, none copied (as the main picture is turned)", ColorKind::YCbCr, CopyNone, camera, {}, false},
    };
    for (const MarkerCase& c : cases) {
        SCOPED_TRACE(c.name);
        JpegSpec recipe;
        recipe.color = c.color;
        recipe.markers = c.source;
        recipe.writeJfif = c.ownHeaders;
        std::vector<ExtraMarker> markers;
        for (const ExtraMarker& m : listMarkers(transcoded(makeJpeg(recipe), c.copy, c.ownHeaders)))
            if ((m.code >= kApp0 && m.code <= 0xEF) || m.code == kCom) markers.push_back(m);
        const size_t own = c.ownHeaders ? 1 : 0;
        ASSERT_EQ(markers.size(), c.kept.size() + own);
        EXPECT_TRUE(!own || markers[0].code == (c.color == ColorKind::Cmyk ? kApp14 : kApp0));
        for (size_t i = 0; i < c.kept.size(); ++i) {
            EXPECT_EQ(markers[i + own].code, c.kept[i].code) << i;
            EXPECT_TRUE(markers[i + own].data == c.kept[i].data) << i;
        }
    }
}

}  // namespace

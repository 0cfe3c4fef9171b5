// What a photo's metadata says about places in its picture follows the turn: its face regions
// (MWG in attribute and element form, normalised and in pixels, and Microsoft's), the Exif focus
// point and area, and the sizes, checked against a bright square drawn into the picture.

#include <cstdlib>
#include <string>

#include "tests/support/exif_builder.h"
#include "tests/support/xmp_builder.h"
#include "transform/turns.h"
#include "workflow/rotate_jpeg_file.h"
#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;
using K = TransformKind;

struct Bounds {
    double left = 1e9, top = 1e9, right = -1, bottom = -1;
    double width() const { return right - left; }
    double height() const { return bottom - top; }
    double centreX() const { return (left + right) / 2; }
    double centreY() const { return (top + bottom) / 2; }
};

// Where the picture is bright: the square.
Bounds brightBounds(const Plane& plane) {
    Bounds bounds;
    for (int y = 0; y < plane.height; ++y)
        for (int x = 0; x < plane.width; ++x)
            if (plane.at(x, y) > 200) bounds = {std::min<double>(bounds.left, x), std::min<double>(bounds.top, y),
                                                std::max<double>(bounds.right, x + 1), std::max<double>(bounds.bottom, y + 1)};
    return bounds;
}

// The stored plane as a viewer shows it under the Orientation `orientation`.
Plane shownPlane(const Plane& stored, int orientation) {
    const K tag = turnForOrientation(orientation);
    const bool swaps = turnFacts(tag).transposes;
    Plane shown{swaps ? stored.height : stored.width, swaps ? stored.width : stored.height, {}};
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x)
            shown.samples.push_back(stored.samples[sourcePixelOf(tag, x, y, stored.width, stored.height)]);
    return shown;
}

// The `nth` value written as name="value", or as <name>value</name> with `element`.
std::string valueIn(const std::string& text, const std::string& name, bool element = false, int nth = 0) {
    const std::string open = element ? "<" + name + ">" : name + "=\"", close = element ? "</" : "\"";
    std::size_t at = std::string::npos;
    for (int i = 0; i <= nth; ++i) at = text.find(open, at == std::string::npos ? 0 : at + 1);
    if (at == std::string::npos) return "missing " + name;
    at += open.size();
    return text.substr(at, text.find(close, at) - at);
}
double numberIn(const std::string& text, const std::string& name, bool element = false, int nth = 0) {
    return std::atof(valueIn(text, name, element, nth).c_str());
}

struct PositionsPhoto {
    Bytes jpeg;
    ExifBlock exif;
    std::string xmp;
};

// 72 x 48 pixels in 16-pixel blocks: a turn that moves the right edge drops an 8-pixel strip.
PositionsPhoto makePositionsPhoto(int orientation) {
    JpegSpec picture;
    picture.width = 72;
    picture.height = 48;
    picture.writeJfif = false;
    picture.brightSquare = {24, 8, 16};
    const Plane stored = decodePlanes(makeJpeg(picture))[0];
    const Plane shown = shownPlane(stored, orientation);
    const Bounds square = brightBounds(stored), seen = brightBounds(shown);

    ExifSpec exif = cameraExifSpec(ByteOrder::Motorola, {});
    for (ExifEntry& entry : exif.ifd0)
        if (entry.tag == 0x0112) entry = shortEntry(0x0112, {orientation});
    exif.ifd0.push_back(longEntry(0x0100, {stored.width}));
    exif.ifd0.push_back(shortEntry(0x0101, {stored.height}));
    const auto cx = std::int64_t(square.centreX()), cy = std::int64_t(square.centreY());
    exif.exif->push_back(shortEntry(0x9214, {cx, cy, std::int64_t(square.width()), std::int64_t(square.height())}));
    exif.exif->push_back(shortEntry(0xA214, {cx, cy}));

    const double w = shown.width, h = shown.height;
    const std::string regions =
        mwgRegions(shown.width, shown.height,
                   {{seen.centreX() / w, seen.centreY() / h, seen.width() / w, seen.height() / h, true, false},
                    {seen.centreX(), seen.centreY(), seen.width(), seen.height(), false, true}}) +
        microsoftRegion(seen.left / w, seen.top / h, seen.width() / w, seen.height() / h);
    PositionsPhoto photo;
    photo.xmp = xmpPacket(" tiff:Orientation=\"" + std::to_string(orientation) +
                              "\" exif:PixelXDimension=\"72\" exif:PixelYDimension=\"48\"",
                          regions);
    photo.exif = buildExif(exif);
    picture.markers = {{0xE1, photo.exif.payload}, {0xE1, xmpPayload(photo.xmp)}};
    photo.jpeg = makeJpeg(picture);
    return photo;
}

struct PositionCase {
    K turn;           // as seen
    int orientation;  // the photo's tag
    bool upright;     // made upright by it (the turn then is None)
};

class PicturePositions : public ::testing::Test {
protected:
    RotateResult turn(const PositionCase& c, const Bytes& jpeg) {
        writeFile(path, jpeg);
        PlannedPhoto planned;
        planned.path = path;
        planned.turn = c.turn;
        planned.upright = c.upright;
        planned.reason = TurnReason::Choice;
        return turnPlannedPhoto(planned, options, settings, status);
    }

    TempDir folder;
    const std::string path = folder.file("photo.jpg");
    ProcessingOptions options;
    TurnSettings settings;
    platform::SilentStatusLine status;
};

// Each region still frames the square in the picture as shown after the turn, in its own unit and
// for the size it states; the Exif area and point frame it in the picture as stored; every size
// states the turned picture's, the strip dropped.
TEST_F(PicturePositions, RegionsFocusAndSizesFollowEveryTurn) {
    std::vector<PositionCase> cases;
    for (K kind : {K::FlipHorizontal, K::FlipVertical, K::Transpose, K::Transverse, K::Rotate90, K::Rotate180,
                   K::Rotate270})
        for (int orientation : {1, 5}) cases.push_back({kind, orientation, false});
    cases.push_back({K::None, 5, true});
    cases.push_back({K::None, 2, true});
    for (const PositionCase& c : cases) {
        SCOPED_TRACE(std::string(turnName(c.turn)) + " with orientation " + std::to_string(c.orientation) +
                     (c.upright ? " made upright" : ""));
        const PositionsPhoto photo = makePositionsPhoto(c.orientation);
        const RotateResult result = turn(c, photo.jpeg);
        ASSERT_TRUE(result.rotated()) << refusalText(result);
        const Bytes file = readFile(path);
        const Plane stored = decodePlanes(file)[0];
        const Plane shown = shownPlane(stored, c.upright ? 1 : c.orientation);
        const Bounds square = brightBounds(stored), seen = brightBounds(shown);
        ASSERT_EQ(square.width(), 16);

        const std::vector<ExtraMarker> markers = listMarkers(file);
        ExifBlock before = photo.exif, after = before;
        after.payload = markers.at(0).data;
        const std::string xmp(markers.at(1).data.begin() + 29, markers.at(1).data.end());
        const std::uint32_t area = before.valueOf(before.exif, 0x9214), location = before.valueOf(before.exif, 0xA214);
        EXPECT_NEAR(after.get16(area) + 0.5, square.centreX(), 1);
        EXPECT_NEAR(after.get16(area + 2) + 0.5, square.centreY(), 1);
        EXPECT_EQ(after.get16(area + 4), square.width());
        EXPECT_EQ(after.get16(area + 6), square.height());
        EXPECT_NEAR(after.get16(location) + 0.5, square.centreX(), 1);
        EXPECT_NEAR(after.get16(location + 2) + 0.5, square.centreY(), 1);
        EXPECT_EQ(after.get32(before.valueOf(before.ifd0, 0x0100)), std::uint32_t(stored.width));
        EXPECT_EQ(after.get16(before.valueOf(before.ifd0, 0x0101)), stored.height);
        EXPECT_EQ(numberIn(xmp, "exif:PixelXDimension"), stored.width);
        EXPECT_EQ(numberIn(xmp, "exif:PixelYDimension"), stored.height);
        EXPECT_EQ(numberIn(xmp, "tiff:Orientation"), c.upright ? 1 : c.orientation);

        const double w = shown.width, h = shown.height;
        EXPECT_EQ(numberIn(xmp, "stDim:w"), w);
        EXPECT_EQ(numberIn(xmp, "stDim:h"), h);
        EXPECT_NEAR(numberIn(xmp, "stArea:x") * w, seen.centreX(), 0.01);  // normalised, as attributes
        EXPECT_NEAR(numberIn(xmp, "stArea:y") * h, seen.centreY(), 0.01);
        EXPECT_NEAR(numberIn(xmp, "stArea:w") * w, seen.width(), 0.01);
        EXPECT_NEAR(numberIn(xmp, "stArea:h") * h, seen.height(), 0.01);
        EXPECT_EQ(numberIn(xmp, "stArea:x", true), seen.centreX());  // in pixels, as elements
        EXPECT_EQ(numberIn(xmp, "stArea:y", true), seen.centreY());
        EXPECT_EQ(numberIn(xmp, "stArea:w", true), seen.width());
        EXPECT_EQ(numberIn(xmp, "stArea:h", true), seen.height());
        EXPECT_EQ(valueIn(xmp, "stArea:x", true).find('.'), std::string::npos) << "written as whole pixels";
        double x = 0, y = 0, rw = 0, rh = 0;
        ASSERT_EQ(std::sscanf(valueIn(xmp, "MPReg:Rectangle").c_str(), "%lf, %lf, %lf, %lf", &x, &y, &rw, &rh), 4);
        EXPECT_NEAR(x * w, seen.left, 0.01);
        EXPECT_NEAR(y * h, seen.top, 0.01);
        EXPECT_NEAR(rw * w, seen.width(), 0.01);
        EXPECT_NEAR(rh * h, seen.height(), 0.01);
    }
}

}  // namespace

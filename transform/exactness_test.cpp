// Where every kind puts each coefficient and pixel, checked against the geometric meaning of the
// kind rather than the engine's own tables: an output axis runs along one source axis, forwards
// or backwards; backwards mirrors the blocks along it (within the whole iMCUs: a partial iMCU at
// the edge cannot move) and negates the odd frequencies along it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

#include "tests/support/jpeg_maker.h"
#include "tests/support/transform_driver.h"

namespace {

using namespace testsupport;
using K = TransformKind;

struct Point { long x, y; };

// The source pixel that lands on output pixel (x, y) of a w x h output.
Point sourcePixel(K kind, long x, long y, long w, long h) {
    switch (kind) {
    case K::FlipHorizontal: return {w - 1 - x, y};
    case K::FlipVertical: return {x, h - 1 - y};
    case K::Transpose: return {y, x};
    case K::Transverse: return {h - 1 - y, w - 1 - x};
    case K::Rotate90: return {y, w - 1 - x};  // clockwise: the source's bottom-left ends top-left
    case K::Rotate180: return {w - 1 - x, h - 1 - y};
    case K::Rotate270: return {h - 1 - y, x};  // counter-clockwise: the source's top-right ends top-left
    default: return {x, y};
    }
}

struct Axis { bool alongSourceX, reversed; };

// Output x and y axes, found by stepping once along each through the pixel map.
std::array<Axis, 2> axesOf(K kind) {
    Point origin = sourcePixel(kind, 0, 0, 16, 16);
    auto follow = [&](Point step) {
        bool alongX = step.x != origin.x;
        return Axis{alongX, (alongX ? step.x - origin.x : step.y - origin.y) < 0};
    };
    return {follow(sourcePixel(kind, 1, 0, 16, 16)), follow(sourcePixel(kind, 0, 1, 16, 16))};
}

::testing::AssertionResult placedExactly(const ComponentCoefficients& in, const ComponentCoefficients& out,
                                         std::array<Axis, 2> axes, long wholeColumns, long wholeRows) {
    bool swapped = !axes[0].alongSourceX;
    for (long y = 0; y < out.heightInBlocks; ++y)
        for (long x = 0; x < out.widthInBlocks; ++x) {
            bool reverseX = axes[0].reversed && x < wholeColumns, reverseY = axes[1].reversed && y < wholeRows;
            long alongX = reverseX ? wholeColumns - 1 - x : x, alongY = reverseY ? wholeRows - 1 - y : y;
            long sx = swapped ? alongY : alongX, sy = swapped ? alongX : alongY;
            if (sx >= in.widthInBlocks || sy >= in.heightInBlocks)
                return ::testing::AssertionFailure() << "block " << x << "," << y << " maps outside the source";
            const auto &source = in.at(int(sx), int(sy)), &target = out.at(int(x), int(y));
            for (int u = 0; u < 8; ++u)
                for (int v = 0; v < 8; ++v) {
                    int value = swapped ? source[v * 8 + u] : source[u * 8 + v];
                    if ((reverseX && v % 2) != (reverseY && u % 2)) value = -value;
                    if (target[u * 8 + v] != value)
                        return ::testing::AssertionFailure() << "block " << x << "," << y << " coefficient " << u << ","
                                                             << v << ": " << target[u * 8 + v] << " not " << value;
                }
        }
    return ::testing::AssertionSuccess();
}

// hugePages false forces the coefficient memory onto small pages even where huge ones are offered.
void expectExact(const Bytes& jpeg, K kind, bool trim, bool gray, bool hugePages) {
    SCOPED_TRACE("kind " + std::to_string(int(kind)) + (trim ? " trimmed" : "") + (hugePages ? "" : " small pages"));
    CoefficientMemory memory;
    memory.hugePages = hugePages;
    JpegCoefficients in = readCoefficients(jpeg), out = readCoefficients(transformInMemory(jpeg, kind, trim, gray, &memory));
    std::array<Axis, 2> axes = axesOf(kind);
    bool swapped = !axes[0].alongSourceX;
    ASSERT_EQ(out.components.size(), gray ? 1 : in.components.size());
    int unitX = 8 * (gray ? 1 : swapped ? in.maxV : in.maxH), unitY = 8 * (gray ? 1 : swapped ? in.maxH : in.maxV);
    // Trimming cuts the partial iMCU off a reversed axis, unless nothing whole would be left.
    auto length = [&](long n, int unit, bool reversed) { return trim && reversed && n >= unit ? n / unit * unit : n; };
    EXPECT_EQ(out.width, length(swapped ? in.height : in.width, unitX, axes[0].reversed));
    EXPECT_EQ(out.height, length(swapped ? in.width : in.height, unitY, axes[1].reversed));
    for (size_t c = 0; c < out.components.size(); ++c) {
        const ComponentCoefficients &source = in.components[c], &target = out.components[c];
        int h = gray ? 1 : swapped ? source.vSamp : source.hSamp, v = gray ? 1 : swapped ? source.hSamp : source.vSamp;
        EXPECT_EQ(std::make_pair(target.hSamp, target.vSamp), std::make_pair(h, v)) << "component " << c;
        EXPECT_TRUE(placedExactly(source, target, axes, out.width / unitX * h, out.height / unitY * v))
            << "component " << c;
    }
}

struct Source { const char* name; JpegSpec photo; bool gray = false; };  // gray: force a gray output

constexpr auto YCC = ColorKind::YCbCr, Gray = ColorKind::Gray, Cmyk = ColorKind::Cmyk;
const Source kSources[] = {
    {"s444_32x24", {32, 24, YCC, 1, 1}},
    {"s444_37x29_progressive", {37, 29, YCC, 1, 1, true}},
    {"s422_48x16_restart", {48, 16, YCC, 2, 1, false, 2}},
    {"s422_35x21_progressive", {35, 21, YCC, 2, 1, true}},
    {"s422_10x20", {10, 20, YCC, 2, 1}},
    {"s420_32x32_progressive", {32, 32, YCC, 2, 2, true}},
    {"s420_100x75_restart", {100, 75, YCC, 2, 2, false, 3}},
    {"s420_17x9_progressive", {17, 9, YCC, 2, 2, true}},
    {"s420_7x30", {7, 30, YCC, 2, 2}},
    {"s420_1x1", {1, 1, YCC, 2, 2}},
    {"s440_24x32", {24, 32, YCC, 1, 2}},
    {"s440_29x37_progressive_restart", {29, 37, YCC, 1, 2, true, 1}},
    {"gray_40x24", {40, 24, Gray, 1, 1}},
    {"gray_13x27_progressive", {13, 27, Gray, 1, 1, true}},
    {"gray_1x1", {1, 1, Gray, 1, 1}},
    {"cmyk_24x16", {24, 16, Cmyk, 1, 1}},
    {"cmyk_21x11_progressive_restart", {21, 11, Cmyk, 2, 2, true, 2}},
    {"forced_gray_420_37x29", {37, 29, YCC, 2, 2}, true},
    {"forced_gray_422_35x21_progressive", {35, 21, YCC, 2, 1, true}, true},
    {"forced_gray_from_gray_13x27", {13, 27, Gray, 1, 1}, true},
    {"s420_1000x750_megabytes", {1000, 750, YCC, 2, 2}},  // large enough for huge pages
};

TEST(Exactness, EveryCoefficientLandsWhereTheKindSendsIt) {
    for (const Source& source : kSources) {
        SCOPED_TRACE(source.name);
        Bytes jpeg = makeJpeg(source.photo);
        for (int code = 0; code < 8; ++code)
            for (bool trim : {false, true})
                for (bool hugePages : {true, false}) expectExact(jpeg, K(code), trim, source.gray, hugePages);
    }
}

// The largest difference between a decoded output plane and the source plane moved by the kind;
// the output may be smaller by the trimmed edges, which it then leaves out.
int largestDifference(const Plane& source, const Plane& out, K kind) {
    int largest = 0;
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            Point from = sourcePixel(kind, x, y, out.width, out.height);
            if (from.x >= source.width || from.y >= source.height) return 255;
            largest = std::max(largest, std::abs(out.at(x, y) - source.at(int(from.x), int(from.y))));
        }
    return largest;
}

struct PictureCase { const char* name; JpegSpec photo; bool allExact; };

const PictureCase kPictures[] = {
    {"gray_48x32", {48, 32, Gray, 1, 1}, true},
    {"s420_40x24_off_by_8", {40, 24, YCC, 2, 2}, true},
    {"s420_56x40_progressive_off_by_8", {56, 40, YCC, 2, 2, true}, true},
    {"s422_35x21", {35, 21, YCC, 2, 1}, true},
    {"s422_37x29_restart", {37, 29, YCC, 2, 1, false, 2}, true},
    {"s420_1x1", {1, 1, YCC, 2, 2}, true},
    {"s420_10x20_narrower_than_an_imcu", {10, 20, YCC, 2, 2}, false},
};

// Decoded at each component's own resolution, the trimmed output of every kind is the source
// picture moved, or the engine says it is not: a picture too small to trim along an axis the
// kind reverses keeps that axis unmirrored. The inverse DCT rounds each block on its own, so a
// transposed block may decode one level off.
TEST(DecodedPicture, TrimmedOutputIsTheSourcePictureMovedOrReportedInexact) {
    for (const PictureCase& picture : kPictures) {
        Bytes jpeg = makeJpeg(picture.photo);
        std::vector<Plane> source = decodePlanes(jpeg);
        for (int code = 0; code < 8; ++code) {
            SCOPED_TRACE(std::string(picture.name) + " kind " + std::to_string(code));
            TransformReport report = transformWithReport(jpeg, K(code), true);
            std::vector<Plane> out = decodePlanes(report.output);
            ASSERT_EQ(out.size(), source.size());
            int largest = 0;
            for (size_t c = 0; c < out.size(); ++c) largest = std::max(largest, largestDifference(source[c], out[c], K(code)));
            EXPECT_EQ(report.exact, largest <= 1) << "largest difference " << largest;
            EXPECT_TRUE(report.exact || !picture.allExact);
        }
    }
}

}  // namespace

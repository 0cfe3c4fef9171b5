// Every output coefficient of every kind, checked against the geometric meaning of the kind.
// The expected placement is worked out here from where each kind sends a pixel, not from the
// engine's own tables: an axis of the output runs along one axis of the source, forwards or
// backwards; backwards means the blocks along it are mirrored (within the whole iMCUs, since a
// partial iMCU at the edge cannot move) and the odd frequencies along it change sign.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/support/jpeg_maker.h"
#include "tests/support/transform_driver.h"

namespace {

using namespace testsupport;

constexpr TransformKind kAllKinds[] = {
    TransformKind::None,       TransformKind::FlipHorizontal, TransformKind::FlipVertical, TransformKind::Transpose,
    TransformKind::Transverse, TransformKind::Rotate90,       TransformKind::Rotate180,    TransformKind::Rotate270,
};

struct Point {
    long x, y;
};

// The source pixel that lands on output pixel (x, y) of an output spanX x spanY pixels large.
Point sourcePixel(TransformKind kind, long x, long y, long spanX, long spanY) {
    switch (kind) {
    case TransformKind::FlipHorizontal: return {spanX - 1 - x, y};
    case TransformKind::FlipVertical: return {x, spanY - 1 - y};
    case TransformKind::Transpose: return {y, x};  // across the top-left to bottom-right diagonal
    case TransformKind::Transverse: return {spanY - 1 - y, spanX - 1 - x};  // across the other diagonal
    case TransformKind::Rotate90: return {y, spanX - 1 - x};  // clockwise: source top-left ends top-right
    case TransformKind::Rotate180: return {spanX - 1 - x, spanY - 1 - y};
    case TransformKind::Rotate270: return {spanY - 1 - y, x};  // counter-clockwise: top-left ends bottom-left
    default: return {x, y};
    }
}

struct AxisMap {
    bool alongSourceX;  // this output axis runs along the source's x axis (else its y axis)
    bool reversed;
};

struct KindAxes {
    AxisMap outX, outY;
    bool transposed() const { return !outX.alongSourceX; }
};

// Probes the pixel map one step along each output axis.
KindAxes axesOf(TransformKind kind) {
    const long span = 16;
    Point origin = sourcePixel(kind, 0, 0, span, span);
    auto follow = [&](Point step) {
        AxisMap axis{};
        axis.alongSourceX = step.x != origin.x;
        long delta = axis.alongSourceX ? step.x - origin.x : step.y - origin.y;
        axis.reversed = delta < 0;
        return axis;
    };
    return {follow(sourcePixel(kind, 1, 0, span, span)), follow(sourcePixel(kind, 0, 1, span, span))};
}

// A reversed axis would carry the partial iMCU from the far edge to the near one; trimming cuts it off.
long expectedLength(long length, int unit, bool trim, bool reversed) {
    if (!trim || !reversed || length < unit) return length;
    return length / unit * unit;
}

// Compares one component coefficient by coefficient; returns a description of the first mismatch.
std::string placementMismatch(const ComponentCoefficients& in, const ComponentCoefficients& out, const KindAxes& axes,
                              long wholeColumns, long wholeRows) {
    long mismatches = 0;
    std::ostringstream first;
    for (long y = 0; y < out.heightInBlocks; ++y) {
        for (long x = 0; x < out.widthInBlocks; ++x) {
            bool reverseX = axes.outX.reversed && x < wholeColumns;
            bool reverseY = axes.outY.reversed && y < wholeRows;
            long alongX = reverseX ? wholeColumns - 1 - x : x;
            long alongY = reverseY ? wholeRows - 1 - y : y;
            long sx = axes.transposed() ? alongY : alongX;
            long sy = axes.transposed() ? alongX : alongY;
            if (sx >= in.widthInBlocks || sy >= in.heightInBlocks)
                return "block (" + std::to_string(x) + "," + std::to_string(y) + ") maps outside the source";
            const auto& source = in.at(static_cast<int>(sx), static_cast<int>(sy));
            const auto& target = out.at(static_cast<int>(x), static_cast<int>(y));
            for (int u = 0; u < 8; ++u) {
                for (int v = 0; v < 8; ++v) {
                    int value = axes.transposed() ? source[v * 8 + u] : source[u * 8 + v];
                    bool negate = (reverseX && (v & 1)) != (reverseY && (u & 1));
                    int expected = negate ? -value : value;
                    if (target[u * 8 + v] == expected) continue;
                    if (mismatches++ == 0)
                        first << "block (" << x << "," << y << ") coefficient (" << u << "," << v << "): got "
                              << target[u * 8 + v] << ", expected " << expected << " from source block (" << sx
                              << "," << sy << ")";
                }
            }
        }
    }
    if (mismatches == 0) return "";
    return std::to_string(mismatches) + " mismatches, first " + first.str();
}

struct Source {
    const char* name;
    ColorKind color;
    int width, height, lumaH, lumaV;
    bool progressive;
    int restartInterval;
    bool gray;  // force gray output
};

void PrintTo(const Source& source, std::ostream* os) { *os << source.name; }

class Exactness : public ::testing::TestWithParam<Source> {
protected:
    Bytes makeSource() const {
        const Source& s = GetParam();
        JpegSpec spec;
        spec.width = s.width;
        spec.height = s.height;
        spec.color = s.color;
        spec.lumaH = s.lumaH;
        spec.lumaV = s.lumaV;
        spec.progressive = s.progressive;
        spec.restartInterval = s.restartInterval;
        spec.seed = static_cast<std::uint32_t>(s.width * 131 + s.height);
        return makeJpeg(spec);
    }
};

// Transforms jpeg (whose coefficients are in) by kind and checks sizes, sampling and every coefficient.
void expectExactTransform(const Bytes& jpeg, const JpegCoefficients& in, TransformKind kind, bool trim, bool gray) {
    SCOPED_TRACE("kind " + std::to_string(static_cast<int>(kind)) + (trim ? " trimmed" : ""));
    JpegCoefficients out = readCoefficients(transformInMemory(jpeg, kind, trim, gray));
    KindAxes axes = axesOf(kind);

    size_t components = gray ? 1 : in.components.size();
    ASSERT_EQ(out.components.size(), components);
    int maxH = gray ? 1 : axes.transposed() ? in.maxV : in.maxH;
    int maxV = gray ? 1 : axes.transposed() ? in.maxH : in.maxV;
    ASSERT_EQ(out.maxH, maxH);
    ASSERT_EQ(out.maxV, maxV);
    long width = axes.transposed() ? in.height : in.width;
    long height = axes.transposed() ? in.width : in.height;
    EXPECT_EQ(out.width, expectedLength(width, maxH * 8, trim, axes.outX.reversed));
    EXPECT_EQ(out.height, expectedLength(height, maxV * 8, trim, axes.outY.reversed));

    for (size_t c = 0; c < components; ++c) {
        SCOPED_TRACE("component " + std::to_string(c));
        const ComponentCoefficients& source = in.components[c];
        const ComponentCoefficients& target = out.components[c];
        if (!gray) {
            EXPECT_EQ(target.hSamp, axes.transposed() ? source.vSamp : source.hSamp);
            EXPECT_EQ(target.vSamp, axes.transposed() ? source.hSamp : source.vSamp);
        }
        long wholeColumns = out.width / (out.maxH * 8) * target.hSamp;
        long wholeRows = out.height / (out.maxV * 8) * target.vSamp;
        EXPECT_EQ(placementMismatch(source, target, axes, wholeColumns, wholeRows), "");
    }
}

TEST_P(Exactness, EveryCoefficientLandsWhereTheKindSendsIt) {
    Bytes jpeg = makeSource();
    JpegCoefficients in = readCoefficients(jpeg);
    for (TransformKind kind : kAllKinds)
        for (bool trim : {false, true}) expectExactTransform(jpeg, in, kind, trim, GetParam().gray);
}

// Workspace arrays of several megabytes, where the walks ask the system for huge pages.
TEST(ExactnessOfLargeImage, WorkspaceOnHugePagesHoldsTheSameCoefficients) {
    JpegSpec spec;
    spec.width = 1608;
    spec.height = 1200;
    spec.quality = 50;
    Bytes jpeg = makeJpeg(spec);
    JpegCoefficients in = readCoefficients(jpeg);
    for (TransformKind kind : {TransformKind::Rotate270, TransformKind::Rotate180})
        expectExactTransform(jpeg, in, kind, false, false);
}

// Whole-iMCU and partial sizes down to a single pixel, each sampling, both scan kinds, restarts.
const Source kSources[] = {
    {"s444_32x24", ColorKind::YCbCr, 32, 24, 1, 1, false, 0, false},
    {"s444_37x29_progressive", ColorKind::YCbCr, 37, 29, 1, 1, true, 0, false},
    {"s422_48x16_restart", ColorKind::YCbCr, 48, 16, 2, 1, false, 2, false},
    {"s422_35x21_progressive", ColorKind::YCbCr, 35, 21, 2, 1, true, 0, false},
    {"s422_10x20", ColorKind::YCbCr, 10, 20, 2, 1, false, 0, false},
    {"s420_32x32", ColorKind::YCbCr, 32, 32, 2, 2, false, 0, false},
    {"s420_100x75_restart", ColorKind::YCbCr, 100, 75, 2, 2, false, 3, false},
    {"s420_17x9_progressive", ColorKind::YCbCr, 17, 9, 2, 2, true, 0, false},
    {"s420_7x30", ColorKind::YCbCr, 7, 30, 2, 2, false, 0, false},
    {"s420_1x1", ColorKind::YCbCr, 1, 1, 2, 2, false, 0, false},
    {"s440_24x32", ColorKind::YCbCr, 24, 32, 1, 2, false, 0, false},
    {"s440_29x37_progressive_restart", ColorKind::YCbCr, 29, 37, 1, 2, true, 1, false},
    {"gray_40x24", ColorKind::Gray, 40, 24, 1, 1, false, 0, false},
    {"gray_13x27_progressive", ColorKind::Gray, 13, 27, 1, 1, true, 0, false},
    {"gray_1x1", ColorKind::Gray, 1, 1, 1, 1, false, 0, false},
    {"cmyk_24x16", ColorKind::Cmyk, 24, 16, 1, 1, false, 0, false},
    {"cmyk_21x11_progressive_restart", ColorKind::Cmyk, 21, 11, 2, 2, true, 2, false},
    {"forced_gray_420_37x29", ColorKind::YCbCr, 37, 29, 2, 2, false, 0, true},
    {"forced_gray_422_35x21_progressive", ColorKind::YCbCr, 35, 21, 2, 1, true, 0, true},
    {"forced_gray_from_gray_13x27", ColorKind::Gray, 13, 27, 1, 1, false, 0, true},
};

INSTANTIATE_TEST_SUITE_P(Sources, Exactness, ::testing::ValuesIn(kSources),
                         [](const ::testing::TestParamInfo<Source>& p) { return std::string(p.param.name); });

}  // namespace

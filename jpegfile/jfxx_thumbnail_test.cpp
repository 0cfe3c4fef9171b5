#include "jpegfile/jfxx_thumbnail.h"

#include <gtest/gtest.h>

#include <iterator>

#include "tests/support/jpeg_maker.h"
#include "transform/turns.h"

namespace {

using namespace testsupport;

Bytes jfxx(std::uint8_t code, const Bytes& data) {
    Bytes payload{'J', 'F', 'X', 'X', 0, code};
    payload.insert(payload.end(), data.begin(), data.end());
    return payload;
}

// A raw thumbnail payload: width, height, the palette for 0x11, the pixels, then `tail`.
Bytes rawThumbnail(std::uint8_t code, int width, int height, const Bytes& pixels, const Bytes& tail) {
    Bytes data{std::uint8_t(width), std::uint8_t(height)};
    if (code == 0x11) for (int i = 0; i < 768; ++i) data.push_back(std::uint8_t(i * 7));
    data.insert(data.end(), pixels.begin(), pixels.end());
    data.insert(data.end(), tail.begin(), tail.end());
    return jfxx(code, data);
}

// Where each pixel goes is the turn table's (its own test pins it pixel by pixel).
TEST(JfxxThumbnailTest, RawThumbnailsMoveEveryPixelWhereTheKindSendsIt) {
    const int width = 5, height = 3;
    const Bytes tail{'e', 'n', 'd'};
    for (std::uint8_t code : {0x11, 0x13}) {
        const int depth = code == 0x11 ? 1 : 3;
        Bytes pixels(width * height * depth);
        for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = std::uint8_t(i * 13 + 1);
        for (int k = 0; k <= 8; ++k) {  // 8: a code outside the enumeration, which acts as None
            const auto kind = static_cast<TransformKind>(k);
            const bool swapped = k == 3 || k == 4 || k == 5 || k == 7;
            const int turnedWidth = swapped ? height : width, turnedHeight = swapped ? width : height;
            Bytes expected;
            for (int y = 0; y < turnedHeight; ++y)
                for (int x = 0; x < turnedWidth; ++x) {
                    const auto from = pixels.begin() + long(sourcePixelOf(kind, x, y, width, height)) * depth;
                    expected.insert(expected.end(), from, from + depth);
                }
            Bytes payload = rawThumbnail(code, width, height, pixels, tail);
            std::string reason;
            ASSERT_TRUE(turnJfxxThumbnail(&payload, kind, nullptr, &reason)) << reason;
            EXPECT_EQ(payload, rawThumbnail(code, turnedWidth, turnedHeight, expected, tail)) << int(code) << " kind " << k;
        }
    }
}

// A JPEG thumbnail is the caller's turner's business: its result, or its refusal, is taken whole.
TEST(JfxxThumbnailTest, JpegThumbnailsGoToTheTurnerAndUnturnableOnesAreRefusedUnchanged) {
    const JpegStreamTurner reversed = [](const unsigned char* stream, std::size_t size, std::vector<unsigned char>* turned,
                                         std::string*) {
        turned->assign(std::make_reverse_iterator(stream + size), std::make_reverse_iterator(stream));
        return true;
    };
    const JpegStreamTurner failing = [](const unsigned char*, std::size_t, std::vector<unsigned char>*, std::string* why) {
        *why = "damaged picture data";
        return false;
    };
    const JpegStreamTurner huge = [](const unsigned char*, std::size_t, std::vector<unsigned char>* turned, std::string*) {
        turned->assign(65533 - 5, 0);
        return true;
    };
    struct Case { Bytes payload; JpegStreamTurner turner; const char* reason; Bytes turned = {}; };
    const Case cases[] = {
        {jfxx(0x10, {0xFF, 0xD8, 1, 2}), reversed, "", jfxx(0x10, {2, 1, 0xD8, 0xFF})},
        {jfxx(0x10, {0xFF, 0xD8}), failing, "the JFXX thumbnail cannot be turned: damaged picture data"},
        {jfxx(0x10, {0xFF, 0xD8}), huge, "the turned JFXX thumbnail would exceed 65535 bytes"},
        {rawThumbnail(0x13, 4, 4, Bytes(47, 1), {}), nullptr, "the JFXX thumbnail is cut short"},
        {rawThumbnail(0x11, 2, 2, {}, {}), nullptr, "the JFXX thumbnail is cut short"},
        {jfxx(0x13, {9}), nullptr, "the JFXX thumbnail is cut short"},
        {jfxx(0x12, {0, 0}), nullptr, "the JFXX extension code is unknown"},
        {Bytes{'J', 'F', 'X', 'X', 0}, nullptr, "the segment is no JFXX extension"},
    };
    for (const Case& c : cases) {
        Bytes payload = c.payload;
        std::string reason;
        EXPECT_EQ(turnJfxxThumbnail(&payload, TransformKind::Rotate90, c.turner, &reason), !*c.reason);
        EXPECT_EQ(reason, c.reason);
        EXPECT_EQ(payload, *c.reason ? c.payload : c.turned);
    }
}

}  // namespace

#pragma once
// Test JPEGs made with libjpeg itself, and their quantized coefficients read back,
// so that tests can compare images block by block without any file from elsewhere.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

enum class ColorKind { Gray, YCbCr, Cmyk };

struct ExtraMarker {
    int code;    // 0xE0..0xEF or 0xFE
    Bytes data;  // payload without the two length bytes
};

// The shape comes first, so that a table row may name it in braces: {37, 29, ColorKind::Gray, 1, 1, true, 2}.
struct JpegSpec {
    int width = 32;
    int height = 32;
    ColorKind color = ColorKind::YCbCr;
    int lumaH = 2;  // sampling factors of component 0; the others are 1 x 1
    int lumaV = 2;
    bool progressive = false;
    int restartInterval = 0;       // in MCUs, 0 for none
    bool arithmetic = false;       // arithmetic coding instead of Huffman
    bool optimizedTables = false;  // Huffman tables computed for the picture instead of the standard ones
    bool scanPerComponent = false;  // sequential, one scan per component instead of one interleaved scan
    int quality = 90;
    bool writeJfif = true;   // libjpeg's own JFIF APP0 (YCbCr and grey only)
    std::uint32_t seed = 1;  // picks the pixel pattern: noisy, so that every coefficient position varies
    int noise = 96;          // the spread of that noise; less makes a smaller file, as a photo of a real scene
    // When set, draws row y (`width` pixels of the input components each) instead of the pattern.
    std::function<void(int y, std::uint8_t* row)> drawRow{};
    std::vector<ExtraMarker> markers{};  // written right behind libjpeg's own header markers
    struct Square {
        int x = 0, y = 0, size = 0;
    };
    Square brightSquare{};  // size > 0: drawn white on the picture dimmed to a third, the one bright place in it
};

// A complete JPEG file in memory.
Bytes makeJpeg(const JpegSpec& recipe);

// The same stream written again, sequential, arithmetic if it was, with its restart interval,
// after `change` (if any) has seen every block: for coefficients no encoder of pixels would
// write. With `optimizedTables`, libjpeg's own statistics pass builds the Huffman tables.
using BlockChange = std::function<void(int component, int x, int y, std::int16_t* block)>;
Bytes withCoefficients(const Bytes& jpeg, const BlockChange& change, bool optimizedTables = false);

// Quantized DCT coefficients of one component, blocks in row-major order.
struct ComponentCoefficients {
    int widthInBlocks = 0;
    int heightInBlocks = 0;
    int hSamp = 1;
    int vSamp = 1;
    int quantTable = 0;
    std::vector<std::array<std::int16_t, 64>> blocks;
    const std::array<std::int16_t, 64>& at(int x, int y) const { return blocks[y * widthInBlocks + x]; }
};

struct JpegCoefficients {
    int width = 0;
    int height = 0;
    int maxH = 1;
    int maxV = 1;
    std::vector<ComponentCoefficients> components;
    std::vector<std::array<std::uint16_t, 64>> quantTables;  // slot order; empty slots left out
};

// Reads every component's coefficients; throws std::runtime_error when libjpeg refuses the data.
JpegCoefficients readCoefficients(const Bytes& jpeg);

// One component's decoded samples at its own resolution, for checks of the picture itself: no
// upsampling, no colour conversion.
struct Plane {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> samples;
    int at(int x, int y) const { return samples[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Plane& other) const {
        return width == other.width && height == other.height && samples == other.samples;
    }
};
std::vector<Plane> decodePlanes(const Bytes& jpeg);

// The marker segments in front of the first SOS: code and payload (length bytes left out). Any
// number of 0xFF fill bytes may stand before a marker.
std::vector<ExtraMarker> listMarkers(const Bytes& jpeg);

// The offsets of every marker `code` (its 0xFF byte), found by walking the segments and the
// coded data between them, restart markers (0xD0 to 0xD7) included.
std::vector<size_t> markerPositions(const Bytes& jpeg, int code);

// `jpeg` with `bytes` written over it from offset `at` on.
Bytes patched(Bytes jpeg, size_t at, const Bytes& bytes);

}  // namespace testsupport

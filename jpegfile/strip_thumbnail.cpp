#include "jpegfile/strip_thumbnail.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "exif/directory_entry.h"
#include "exif/entry_number.h"
#include "jpegfile/raw_thumbnail.h"
#include "transform/turns.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::size_t kTiffStart = 8;  // length bytes and "Exif\0\0"
enum Tag : unsigned {
    kImageWidth = 0x0100, kImageLength = 0x0101, kBitsPerSample = 0x0102, kCompression = 0x0103,
    kPhotometric = 0x0106, kStripOffsets = 0x0111, kSamplesPerPixel = 0x0115, kRowsPerStrip = 0x0116,
    kStripByteCounts = 0x0117, kPlanarConfiguration = 0x011C, kYCbCrSubSampling = 0x0212,
};
constexpr std::uint64_t kUncompressed = 1, kRgb = 2, kYCbCr = 6, kChunky = 1;
constexpr std::uint64_t kAbsent = ~std::uint64_t{0};

// IFD1, the thumbnail's directory: the one IFD0 links to, as the walk read it.
class ThumbnailDirectory {
public:
    ThumbnailDirectory(const TiffBlock& block, const BlockLayout& layout) : block_(block) {
        const std::uint64_t first = block.holds(4, 4) ? block.order.readU32(block.base + 4) : 0;
        unsigned count = 0;
        if (!directoryFits(block, first, &count) || !block.holds(first + 2 + 12 * std::uint64_t{count}, 4)) return;
        const std::uint32_t ifd1 = block.order.readU32(block.base + first + 2 + 12 * count);
        const auto& walked = layout.directories;
        if (ifd1 == 0 || std::find(walked.begin(), walked.end(), ifd1) == walked.end()) return;
        if (!directoryFits(block, ifd1, &count)) return;
        for (unsigned i = 0; i < count; ++i) {
            DirectoryEntry entry;
            if (readDirectoryEntry(block, ifd1 + 2 + 12 * i, &entry, nullptr)) entries_.push_back(entry);
        }
    }

    const DirectoryEntry* entry(unsigned tag) const {
        for (const DirectoryEntry& e : entries_)
            if (e.tag == tag) return &e;
        return nullptr;
    }
    std::uint32_t count(unsigned tag) const { return entry(tag) ? entry(tag)->count : 0; }

    // Component `n` of an integer value; kAbsent when there is none, 0 for a value of another type.
    std::uint64_t number(unsigned tag, std::uint32_t n = 0) const {
        const DirectoryEntry* e = entry(tag);
        if (!e || n >= e->count) return kAbsent;
        if (e->format != kFormatByte && e->format != kFormatShort && e->format != kFormatLong) return 0;
        const unsigned char* at = e->value + n * static_cast<std::uint32_t>(kBytesPerFormat[e->format]);
        return static_cast<std::uint64_t>(valueAsDouble(at, e->format, block_.order));
    }

private:
    TiffBlock block_;
    std::vector<DirectoryEntry> entries_;
};

// The thumbnail's pixels as IFD1 describes them.
struct StripPixels {
    std::uint64_t at = 0, size = 0;  // inside the TIFF data
    std::size_t width = 0, height = 0;
    bool ycbcr = false;
    std::size_t unitWidth = 1, unitHeight = 1;  // the YCbCr subsampling

    std::size_t unitsAcross() const { return (width + unitWidth - 1) / unitWidth; }
    std::size_t unitBytes() const { return unitWidth * unitHeight + 2; }
    std::size_t bytesFor(std::size_t w, std::size_t h) const {
        if (!ycbcr) return w * h * 3;
        return (w + unitWidth - 1) / unitWidth * ((h + unitHeight - 1) / unitHeight) * unitBytes();
    }
};

bool isSubsampling(std::uint64_t factor) { return factor == 1 || factor == 2 || factor == 4; }

// Why the directory's strips cannot be turned; nullptr when they can.
const char* stripProblem(const ThumbnailDirectory& ifd1, const BlockLayout& layout, std::uint32_t tiffLength,
                         StripPixels* pixels) {
    const std::uint64_t photometric = ifd1.number(kPhotometric);
    if (photometric != kRgb && photometric != kYCbCr) return "its colours are neither RGB nor YCbCr";
    if (ifd1.count(kBitsPerSample) != 3 || ifd1.number(kBitsPerSample, 0) != 8 || ifd1.number(kBitsPerSample, 1) != 8 ||
        ifd1.number(kBitsPerSample, 2) != 8)
        return "its samples are not of 8 bits";
    const std::uint64_t samples = ifd1.number(kSamplesPerPixel), planar = ifd1.number(kPlanarConfiguration);
    if ((samples != kAbsent && samples != 3) || (planar != kAbsent && planar != kChunky))
        return "its samples are not stored three to a pixel";
    if (ifd1.count(kStripOffsets) != 1 || ifd1.count(kStripByteCounts) != 1) return "it is stored in several strips";
    const std::uint64_t width = ifd1.number(kImageWidth), height = ifd1.number(kImageLength);
    if (width == kAbsent || height == kAbsent || width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF)
        return "its size is not stated";
    pixels->width = static_cast<std::size_t>(width);
    pixels->height = static_cast<std::size_t>(height);
    pixels->ycbcr = photometric == kYCbCr;
    if (pixels->ycbcr) {
        // TIFF's default subsampling is 2 x 2.
        const std::uint64_t h = ifd1.number(kYCbCrSubSampling, 0), v = ifd1.number(kYCbCrSubSampling, 1);
        pixels->unitWidth = h == kAbsent ? 2 : static_cast<std::size_t>(h);
        pixels->unitHeight = v == kAbsent ? 2 : static_cast<std::size_t>(v);
        if (!isSubsampling(pixels->unitWidth) || !isSubsampling(pixels->unitHeight)) return "its colour subsampling is unknown";
    }
    pixels->at = ifd1.number(kStripOffsets);
    pixels->size = pixels->bytesFor(pixels->width, pixels->height);
    if (ifd1.number(kStripByteCounts) < pixels->size || pixels->at + pixels->size > tiffLength)
        return "its strip lies outside the Exif block";
    for (const ByteSpan& span : layout.referenced)
        if (span.start < pixels->at + pixels->size && pixels->at < span.end)
            return "its strip overlaps other data of the Exif block";
    return nullptr;
}

// Subsampled YCbCr units (the luma of unitWidth x unitHeight pixels, then Cb and Cr) as three
// bytes per pixel, and back: a unit's colour is the mean of its pixels', the pixels outside the
// picture taken from its edge.
Bytes unpackUnits(const unsigned char* units, const StripPixels& p) {
    Bytes full(p.width * p.height * 3);
    const std::size_t lumas = p.unitWidth * p.unitHeight;
    for (std::size_t y = 0; y < p.height; ++y)
        for (std::size_t x = 0; x < p.width; ++x) {
            const unsigned char* unit = units + ((y / p.unitHeight) * p.unitsAcross() + x / p.unitWidth) * p.unitBytes();
            unsigned char* pixel = &full[(y * p.width + x) * 3];
            pixel[0] = unit[(y % p.unitHeight) * p.unitWidth + x % p.unitWidth];
            pixel[1] = unit[lumas];
            pixel[2] = unit[lumas + 1];
        }
    return full;
}

Bytes packUnits(const Bytes& full, const StripPixels& p) {
    Bytes units(p.size);
    const std::size_t lumas = p.unitWidth * p.unitHeight;
    unsigned char* unit = units.data();
    for (std::size_t uy = 0; uy < p.height; uy += p.unitHeight)
        for (std::size_t ux = 0; ux < p.width; ux += p.unitWidth, unit += p.unitBytes()) {
            unsigned cb = 0, cr = 0, inside = 0;
            for (std::size_t j = 0; j < p.unitHeight; ++j)
                for (std::size_t i = 0; i < p.unitWidth; ++i) {
                    const std::size_t x = std::min(ux + i, p.width - 1), y = std::min(uy + j, p.height - 1);
                    const unsigned char* pixel = &full[(y * p.width + x) * 3];
                    unit[j * p.unitWidth + i] = pixel[0];
                    if (ux + i >= p.width || uy + j >= p.height) continue;
                    cb += pixel[1], cr += pixel[2], ++inside;
                }
            unit[lumas] = static_cast<unsigned char>((cb + inside / 2) / inside);
            unit[lumas + 1] = static_cast<unsigned char>((cr + inside / 2) / inside);
        }
    return units;
}

// The turned pixels in the strip's own form.
Bytes turnedStrip(const unsigned char* strip, StripPixels pixels, TransformKind kind) {
    Bytes full = pixels.ycbcr ? unpackUnits(strip, pixels) : Bytes(strip, strip + pixels.size);
    turnRawThumbnail(full.data(), pixels.width, pixels.height, 3, kind);
    if (turnFacts(kind).transposes) std::swap(pixels.width, pixels.height);
    return pixels.ycbcr ? packUnits(full, pixels) : full;
}

std::string notTurned(const char* why) { return std::string("the uncompressed Exif thumbnail is not turned: ") + why; }

}  // namespace

std::string turnStripThumbnail(PhotoRecord& record, TransformKind kind) {
    Segment* exif = record.exif();
    if (!exif || !record.exifLayout.walked) return "";
    const BlockLayout& layout = record.exifLayout;
    const TiffBlock block = tiffOf(exif->bytes.data(), exif->bytes.size(), layout.order);
    const ThumbnailDirectory ifd1(block, layout);
    const std::uint64_t compression = ifd1.number(kCompression);
    if (!ifd1.entry(kStripOffsets) || (compression != kAbsent && compression != kUncompressed)) return "";
    StripPixels pixels;
    if (const char* problem = stripProblem(ifd1, layout, block.length, &pixels)) return notTurned(problem);
    const bool swapped = turnFacts(kind).transposes;
    const std::size_t width = swapped ? pixels.height : pixels.width, height = swapped ? pixels.width : pixels.height;
    if (pixels.bytesFor(width, height) != pixels.size) return notTurned("its subsampled colour would change its size");
    unsigned char* strip = exif->bytes.data() + kTiffStart + pixels.at;
    const Bytes turned = turnedStrip(strip, pixels, kind);
    std::vector<NumberEdit> edits = {{ifd1.entry(kImageWidth)->at, kImageWidth, static_cast<std::uint32_t>(width)},
                                     {ifd1.entry(kImageLength)->at, kImageLength, static_cast<std::uint32_t>(height)}};
    const std::uint64_t rows = ifd1.number(kRowsPerStrip);
    if (rows != kAbsent && rows < height)
        edits.push_back({ifd1.entry(kRowsPerStrip)->at, kRowsPerStrip, static_cast<std::uint32_t>(height)});
    if (rewriteNumbers(exif->bytes.data(), exif->bytes.size(), layout, edits) != Rewrite::Done)
        return notTurned("its size cannot be rewritten where it is stored");
    std::memcpy(strip, turned.data(), turned.size());
    return "";
}

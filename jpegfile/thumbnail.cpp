#include "jpegfile/thumbnail.h"

#include <cstdint>
#include <cstring>

#include "exif/entry_number.h"

namespace {

// Bytes in front of the TIFF header inside the APP1 entry: the length field and "Exif\0\0".
constexpr std::size_t kTiffStart = 8;
constexpr unsigned kThumbnailLength = 0x0202;

const char* const kNoThumbnail = "the Exif block holds no thumbnail";

// Why the length could not be written, or nullptr when it was.
const char* lengthProblem(Rewrite rewrite) {
    switch (rewrite) {
    case Rewrite::TooLarge: return "its length is stored in a type too small for the new size";
    case Rewrite::NotWritable: return "its length cannot be rewritten where it is stored";
    default: return nullptr;
    }
}

// The record's Exif segment and the layout of its walk, and why its thumbnail cannot be replaced.
struct KeptBlock {
    Segment* segment = nullptr;
    BlockLayout* layout = nullptr;
    PhotoInfo* info = nullptr;
    const char* problem = nullptr;
};

// Why the record's thumbnail cannot be taken or replaced; nullptr when it can.
const char* thumbnailProblem(const PhotoRecord& record) {
    const Segment* segment = record.exif();
    const BlockLayout& layout = record.exifLayout;
    if (!segment) return "there is no Exif block";
    if (!layout.walked) return "the Exif block could not be read";
    if (layout.thumbnail.place == ThumbnailPlace::None) return kNoThumbnail;
    if (kTiffStart + layout.thumbnail.offset + std::uint64_t{layout.thumbnail.room} > segment->bytes.size())
        return "the thumbnail lies outside the Exif block";
    return nullptr;
}

KeptBlock keptBlock(PhotoRecord& record) {
    return {record.exif(), &record.exifLayout, &record.info, thumbnailProblem(record)};
}

void noteNewSize(const KeptBlock& kept, std::size_t size) {
    kept.layout->thumbnail.size = static_cast<std::uint32_t>(size);
    kept.info->thumbnailSize = kept.layout->thumbnail.size;
}

NumberEdit lengthEdit(const WalkedThumbnail& thumbnail, std::size_t size) {
    return {static_cast<std::uint32_t>(thumbnail.lengthEntry), kThumbnailLength, static_cast<std::uint32_t>(size)};
}

// The old room keeps its size: the bytes behind the new thumbnail become zero.
std::string replaceInPlace(const KeptBlock& kept, const std::vector<unsigned char>& bytes) {
    const WalkedThumbnail& thumbnail = kept.layout->thumbnail;
    std::vector<unsigned char>& segment = kept.segment->bytes;
    if (bytes.size() > thumbnail.room) return "the turned thumbnail does not fit in the room of the old one";
    const Rewrite rewrite = rewriteNumbers(segment.data(), segment.size(), *kept.layout, {lengthEdit(thumbnail, bytes.size())});
    if (rewrite != Rewrite::Done) return lengthProblem(rewrite);
    unsigned char* room = segment.data() + kTiffStart + thumbnail.offset;
    if (!bytes.empty()) std::memcpy(room, bytes.data(), bytes.size());
    std::memset(room + bytes.size(), 0, thumbnail.room - bytes.size());
    noteNewSize(kept, bytes.size());
    return "";
}

// Nothing the block refers to lies behind the thumbnail: the segment ends with the new one.
std::string replaceAtEnd(const KeptBlock& kept, const std::vector<unsigned char>& bytes) {
    WalkedThumbnail& thumbnail = kept.layout->thumbnail;
    if (bytes.size() > thumbnail.room && thumbnail.offset + std::uint64_t{bytes.size()} > kMaxThumbnailEnd)
        return "the turned thumbnail would make the Exif segment longer than 65,535 bytes";
    const std::size_t start = kTiffStart + thumbnail.offset, length = start + bytes.size();
    std::vector<unsigned char> grown(kept.segment->bytes.begin(), kept.segment->bytes.begin() + static_cast<long>(start));
    grown.insert(grown.end(), bytes.begin(), bytes.end());
    grown[0] = static_cast<unsigned char>(length >> 8);
    grown[1] = static_cast<unsigned char>(length & 0xFF);
    const Rewrite rewrite = rewriteNumbers(grown.data(), length, *kept.layout, {lengthEdit(thumbnail, bytes.size())});
    if (rewrite != Rewrite::Done) return lengthProblem(rewrite);
    kept.segment->bytes = std::move(grown);
    // The layout's positions count from the TIFF header and stay as they are.
    thumbnail.room = static_cast<std::uint32_t>(bytes.size());
    noteNewSize(kept, bytes.size());
    return "";
}

}  // namespace

std::vector<unsigned char> thumbnailBytes(const PhotoRecord& record) {
    if (thumbnailProblem(record)) return {};
    const unsigned char* start = record.exif()->bytes.data() + kTiffStart + record.exifLayout.thumbnail.offset;
    return std::vector<unsigned char>(start, start + record.exifLayout.thumbnail.size);
}

std::string replaceThumbnail(PhotoRecord& record, const std::vector<unsigned char>& bytes) {
    const KeptBlock kept = keptBlock(record);
    if (kept.problem) return kept.problem;
    switch (kept.layout->thumbnail.place) {
    case ThumbnailPlace::AtEnd: return replaceAtEnd(kept, bytes);
    case ThumbnailPlace::InPlaceOnly: return replaceInPlace(kept, bytes);
    default: return "other data of the Exif block overlaps the thumbnail";
    }
}

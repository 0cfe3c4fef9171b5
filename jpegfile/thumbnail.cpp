#include "jpegfile/thumbnail.h"

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "exif/block_layout.h"
#include "exif/entry_number.h"
#include "exif/photo_info.h"
#include "exif/report_error.h"
#include "jpegfile/diagnostics.h"
#include "jpegfile/section_table.h"

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

// The kept Exif entry and the record of its walk; `problem` says in plain words why its
// thumbnail cannot be taken or replaced, when it cannot.
struct KeptBlock {
    JpegSection* entry = nullptr;
    BlockLayout* layout = nullptr;
    const char* problem = nullptr;
};

KeptBlock keptBlock() {
    KeptBlock kept;
    kept.entry = findExifSection();
    kept.layout = kept.entry ? layoutOf(kept.entry->bytes, static_cast<std::size_t>(kept.entry->byteCount)) : nullptr;
    if (!kept.entry)
        kept.problem = "there is no Exif block";
    else if (!kept.layout)
        kept.problem = "the kept Exif block is not the one that was read";
    else if (!kept.layout->walked)
        kept.problem = "the Exif block could not be read";
    else if (kept.layout->thumbnail.place == ThumbnailPlace::None)
        kept.problem = kNoThumbnail;
    else if (kTiffStart + kept.layout->thumbnail.offset + std::uint64_t{kept.layout->thumbnail.room} >
             static_cast<std::uint64_t>(kept.entry->byteCount))
        kept.problem = "the thumbnail lies outside the Exif block";
    return kept;
}

void noteNewSize(WalkedThumbnail& thumbnail, std::size_t size) {
    thumbnail.size = static_cast<std::uint32_t>(size);
    photoInfo.thumbnailSize = thumbnail.size;
}

// The old room keeps its size: the bytes behind the new thumbnail become zero.
std::string replaceInPlace(const KeptBlock& kept, const std::vector<unsigned char>& bytes) {
    WalkedThumbnail& thumbnail = kept.layout->thumbnail;
    if (bytes.size() > thumbnail.room) return "the turned thumbnail does not fit in the room of the old one";
    NumberEdit length{static_cast<std::uint32_t>(thumbnail.lengthEntry), kThumbnailLength,
                      static_cast<std::uint32_t>(bytes.size())};
    const Rewrite rewrite =
        rewriteNumbers(kept.entry->bytes, static_cast<std::size_t>(kept.entry->byteCount), *kept.layout, {length});
    if (rewrite != Rewrite::Done) return lengthProblem(rewrite);
    unsigned char* room = kept.entry->bytes + kTiffStart + thumbnail.offset;
    if (!bytes.empty()) std::memcpy(room, bytes.data(), bytes.size());
    std::memset(room + bytes.size(), 0, thumbnail.room - bytes.size());
    noteNewSize(thumbnail, bytes.size());
    return "";
}

// Nothing the block refers to lies behind the thumbnail: the entry ends with the new one.
std::string replaceAtEnd(const KeptBlock& kept, const std::vector<unsigned char>& bytes) {
    WalkedThumbnail& thumbnail = kept.layout->thumbnail;
    if (bytes.size() > thumbnail.room && thumbnail.offset + std::uint64_t{bytes.size()} > kMaxThumbnailEnd)
        return "the turned thumbnail would make the Exif segment longer than 65,535 bytes";
    const std::size_t start = kTiffStart + thumbnail.offset, length = start + bytes.size();
    auto* grown = static_cast<unsigned char*>(std::malloc(length));
    if (!grown) return "there is not enough memory for the new Exif segment";
    std::memcpy(grown, kept.entry->bytes, start);
    if (!bytes.empty()) std::memcpy(grown + start, bytes.data(), bytes.size());
    grown[0] = static_cast<unsigned char>(length >> 8);
    grown[1] = static_cast<unsigned char>(length & 0xFF);
    NumberEdit lengthEdit{static_cast<std::uint32_t>(thumbnail.lengthEntry), kThumbnailLength,
                          static_cast<std::uint32_t>(bytes.size())};
    const Rewrite rewrite = rewriteNumbers(grown, length, *kept.layout, {lengthEdit});
    if (rewrite != Rewrite::Done) {
        std::free(grown);
        return lengthProblem(rewrite);
    }
    std::free(kept.entry->bytes);
    kept.entry->bytes = grown;
    kept.entry->byteCount = static_cast<std::int32_t>(length);
    // The record follows the entry: its positions count from the TIFF header and stay as they are.
    kept.layout->segment = grown;
    kept.layout->segmentLength = length;
    kept.layout->tiff = TiffBlock{grown + kTiffStart, static_cast<std::uint32_t>(length - kTiffStart)};
    thumbnail.room = static_cast<std::uint32_t>(bytes.size());
    noteNewSize(thumbnail, bytes.size());
    return "";
}

// The size of a file by seeking to its end, then back to its start; -1 when it cannot seek.
off_t measure(FILE* file) {
    if (fseeko(file, 0, SEEK_END) != 0) return -1;
    off_t size = ftello(file);
    if (size < 0 || fseeko(file, 0, SEEK_SET) != 0) return -1;
    return size;
}

// Exactly `size` bytes and then the end of the file: a file that changed under us is refused.
bool readExactly(FILE* file, std::vector<unsigned char>* bytes) {
    if (std::fread(bytes->data(), 1, bytes->size(), file) != bytes->size()) return false;
    return std::getc(file) == EOF;
}

}  // namespace

std::vector<unsigned char> thumbnailBytes() {
    const KeptBlock kept = keptBlock();
    if (kept.problem) return {};
    const unsigned char* start = kept.entry->bytes + kTiffStart + kept.layout->thumbnail.offset;
    return std::vector<unsigned char>(start, start + kept.layout->thumbnail.size);
}

std::string replaceThumbnail(const std::vector<unsigned char>& bytes) {
    const KeptBlock kept = keptBlock();
    if (kept.problem) return kept.problem;
    switch (kept.layout->thumbnail.place) {
    case ThumbnailPlace::AtEnd: return replaceAtEnd(kept, bytes);
    case ThumbnailPlace::InPlaceOnly: return replaceInPlace(kept, bytes);
    default: return "other data of the Exif block overlaps the thumbnail";
    }
}

int exportThumbnail(const char* path) {
    const std::vector<unsigned char> bytes = thumbnailBytes();
    if (bytes.empty()) {
        std::fputs("Image contains no thumbnail\n", sectionDiagnostics());
        return 0;
    }
    FILE* file = std::fopen(path, "wb");
    bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file && std::fclose(file) != 0) written = false;
    if (!written) reportError("Could not write thumbnail file");
    return written ? 1 : 0;
}

int importThumbnail(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        reportError("Could not read thumbnail file");
        return 0;
    }
    // A file larger than any Exif segment is refused before it is read.
    off_t size = measure(file);
    std::vector<unsigned char> bytes(size > 0 && size <= 0xFFFF ? static_cast<std::size_t>(size) : 0);
    bool read = size >= 0 && size <= 0xFFFF && readExactly(file, &bytes);
    std::fclose(file);
    if (!read) {
        reportError(size > 0xFFFF ? "Thumbnail is too large to insert into exif header" : "Could not read thumbnail file");
        return 0;
    }
    const std::string refusal = replaceThumbnail(bytes);
    if (refusal == kNoThumbnail) std::fputs("Image contains no thumbnail to replace - add is not possible\n", sectionDiagnostics());
    else if (!refusal.empty()) reportError(refusal.c_str());
    return refusal.empty() ? 1 : 0;
}

#include "jpegfile/mpf_index.h"

#include <cstring>

namespace {

constexpr std::uint16_t kNumberOfImagesTag = 0xB001;
constexpr std::uint16_t kEntriesTag = 0xB002;
constexpr std::uint16_t kUndefinedFormat = 7;
constexpr std::size_t kHeaderSize = 8;  // byte-order mark, 42, offset of the first directory
constexpr std::size_t kDirectoryEntrySize = 12;
constexpr std::size_t kPictureEntrySize = 16;

// Numbers of the payload in the index's byte order, every read checked against its end.
class IndexBytes {
public:
    IndexBytes(const unsigned char* bytes, std::size_t size, bool bigEndian)
        : bytes_(bytes), size_(size), bigEndian_(bigEndian) {}
    bool fits(std::uint64_t at, std::uint64_t count) const { return at <= size_ && count <= size_ - at; }
    std::uint32_t number(std::size_t at, int width) const {
        std::uint32_t value = 0;
        for (int i = 0; i < width; ++i) {
            int shift = bigEndian_ ? 8 * (width - 1 - i) : 8 * i;
            value |= static_cast<std::uint32_t>(bytes_[at + static_cast<std::size_t>(i)]) << shift;
        }
        return value;
    }
    std::uint16_t u16(std::size_t at) const { return static_cast<std::uint16_t>(number(at, 2)); }
    std::uint32_t u32(std::size_t at) const { return number(at, 4); }

private:
    const unsigned char* bytes_;
    std::size_t size_;
    bool bigEndian_;
};

void putU32(unsigned char* at, std::uint32_t value, bool bigEndian) {
    for (int i = 0; i < 4; ++i) {
        int shift = bigEndian ? 8 * (3 - i) : 8 * i;
        at[i] = static_cast<unsigned char>(value >> shift);
    }
}

bool fail(std::string* reason, const char* text) {
    *reason = text;
    return false;
}

MpEntry entryAt(const IndexBytes& bytes, std::size_t at) {
    MpEntry entry;
    entry.attribute = bytes.u32(at);
    entry.size = bytes.u32(at + 4);
    entry.offset = bytes.u32(at + 8);
    entry.firstDependent = bytes.u16(at + 12);
    entry.secondDependent = bytes.u16(at + 14);
    entry.sizeAt = at + 4;
    entry.offsetAt = at + 8;
    return entry;
}

// The picture entries that the directory entry at `at` points to.
bool readEntries(const IndexBytes& bytes, std::size_t at, MpIndex* index, std::string* reason) {
    std::uint32_t count = bytes.u32(at + 4);
    std::uint64_t start = std::uint64_t{kMpBaseInPayload} + bytes.u32(at + 8);
    if (bytes.u16(at + 2) != kUndefinedFormat || count % kPictureEntrySize != 0)
        return fail(reason, "the multi-picture index has malformed picture entries");
    if (count == 0) return true;
    if (!bytes.fits(start, count)) return fail(reason, "the multi-picture index lies partly outside its segment");
    for (std::size_t i = 0; i < count / kPictureEntrySize; ++i)
        index->entries.push_back(entryAt(bytes, static_cast<std::size_t>(start) + i * kPictureEntrySize));
    return true;
}

}  // namespace

bool isMpfPayload(const unsigned char* payload, std::size_t size) {
    return size >= kMpBaseInPayload && std::memcmp(payload, "MPF", 4) == 0;
}

namespace {

bool readIndex(const unsigned char* payload, std::size_t size, MpIndex* index, std::string* reason) {
    if (!isMpfPayload(payload, size) || size - kMpBaseInPayload < kHeaderSize)
        return fail(reason, "the multi-picture segment is too short");
    const unsigned char* mark = payload + kMpBaseInPayload;
    if (std::memcmp(mark, "II*\0", 4) == 0) {
        index->bigEndian = false;
    } else if (std::memcmp(mark, "MM\0*", 4) == 0) {
        index->bigEndian = true;
    } else {
        return fail(reason, "the multi-picture index has no valid byte order");
    }
    IndexBytes bytes(payload, size, index->bigEndian);
    std::uint64_t directory = std::uint64_t{kMpBaseInPayload} + bytes.u32(kMpBaseInPayload + 4);
    if (!bytes.fits(directory, 2)) return fail(reason, "the multi-picture index lies partly outside its segment");
    std::uint16_t tags = bytes.u16(static_cast<std::size_t>(directory));
    if (!bytes.fits(directory + 2, std::uint64_t{tags} * kDirectoryEntrySize))
        return fail(reason, "the multi-picture index lies partly outside its segment");
    bool entriesRead = false;
    std::uint32_t numberOfImages = 0;
    bool numberGiven = false;
    for (std::size_t i = 0; i < tags; ++i) {
        std::size_t at = static_cast<std::size_t>(directory) + 2 + i * kDirectoryEntrySize;
        std::uint16_t tag = bytes.u16(at);
        if (tag == kNumberOfImagesTag && !numberGiven) {
            numberGiven = true;
            numberOfImages = bytes.u32(at + 8);
        } else if (tag == kEntriesTag && !entriesRead) {
            entriesRead = true;
            if (!readEntries(bytes, at, index, reason)) return false;
        }
    }
    if (entriesRead && numberGiven && numberOfImages != index->entries.size())
        return fail(reason, "the multi-picture index counts its pictures differently from the entries it lists");
    return true;
}

}  // namespace

bool readMpIndex(const unsigned char* payload, std::size_t size, MpIndex* index, std::string* reason) {
    *index = MpIndex{};
    if (readIndex(payload, size, index, reason)) return true;
    *index = MpIndex{};
    return false;
}

bool writeMpEntries(unsigned char* payload, std::size_t size, const MpIndex& index) {
    IndexBytes bytes(payload, size, index.bigEndian);
    for (const MpEntry& entry : index.entries)
        if (!bytes.fits(entry.sizeAt, 4) || !bytes.fits(entry.offsetAt, 4)) return false;
    for (const MpEntry& entry : index.entries) {
        putU32(payload + entry.sizeAt, entry.size, index.bigEndian);
        putU32(payload + entry.offsetAt, entry.offset, index.bigEndian);
    }
    return true;
}

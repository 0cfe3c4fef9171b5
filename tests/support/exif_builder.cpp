#include "tests/support/exif_builder.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace testsupport {

namespace {

constexpr std::uint32_t kHeaderSize = 8;
constexpr std::uint32_t kPayloadPrefix = 6;  // "Exif\0\0"

int componentSize(std::uint16_t format) {
    static const int sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return format < 13 ? sizes[format] : 1;
}

int shiftOf(int byte, int size, ByteOrder order) { return order == ByteOrder::Motorola ? 8 * (size - 1 - byte) : 8 * byte; }

std::uint64_t getNumber(const Bytes& in, std::size_t at, int size, ByteOrder order) {
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i) value |= std::uint64_t{in.at(at + i)} << shiftOf(i, size, order);
    return value;
}

// The value bytes of an entry in the block's order.
Bytes encodeValue(const ExifEntry& entry, ByteOrder order) {
    if (!entry.bytes.empty()) return entry.bytes;
    const int size = std::min(componentSize(entry.format), 4);  // rationals: numerator and denominator one by one
    Bytes out(entry.numbers.size() * size);
    for (std::size_t i = 0; i < entry.numbers.size(); ++i)
        putNumber(out, i * size, static_cast<std::uint64_t>(entry.numbers[i]), size, order);
    return out;
}

std::uint32_t evenSize(std::size_t n) { return static_cast<std::uint32_t>((n + 1) & ~std::size_t{1}); }

// Bytes taken by the out-of-line values of `entries` that lie behind the thumbnail (`behind`) or not.
std::uint32_t valuesSize(const ExifEntries& entries, ByteOrder order, bool behind) {
    std::uint32_t size = 0;
    for (const ExifEntry& entry : entries) {
        const std::size_t bytes = encodeValue(entry, order).size();
        if (!entry.field && bytes > 4 && entry.behindThumbnail == behind) size += evenSize(bytes);
    }
    return size;
}

// Bytes taken by a directory and the values it keeps beside it.
std::uint32_t directorySize(const ExifEntries& entries, ByteOrder order) {
    return 2 + 12 * static_cast<std::uint32_t>(entries.size()) + 4 + valuesSize(entries, order, false);
}

struct Writer {
    Bytes& tiff;
    ByteOrder order;
    std::uint32_t lateAt;  // where the next value placed behind the thumbnail goes

    void put(std::uint32_t at, std::uint64_t value, int size) { putNumber(tiff, at, value, size, order); }

    // Writes the directory at `at`, its values behind it, then its link.
    void directory(std::uint32_t at, const ExifEntries& entries, std::uint32_t link) {
        put(at, entries.size(), 2);
        std::uint32_t pos = at + 2, valueAt = pos + 12 * static_cast<std::uint32_t>(entries.size()) + 4;
        for (const ExifEntry& entry : entries) {
            put(pos, entry.tag, 2);
            put(pos + 2, entry.format, 2);
            put(pos + 4, entry.count, 4);
            const Bytes value = encodeValue(entry, order);
            if (entry.field) {
                put(pos + 8, *entry.field, 4);
            } else if (value.size() <= 4) {  // an empty value leaves the 4 bytes zero
                std::copy(value.begin(), value.end(), tiff.begin() + pos + 8);
            } else {
                std::uint32_t& to = entry.behindThumbnail ? lateAt : valueAt;
                put(pos + 8, to, 4);
                std::copy(value.begin(), value.end(), tiff.begin() + to);
                to += evenSize(value.size());
            }
            pos += 12;
        }
        put(pos, link, 4);
    }
};

ExifEntry pointerEntry(std::uint16_t tag) { return rawEntry(tag, kExifLong, 1, 0); }

}  // namespace

void putNumber(Bytes& bytes, std::size_t at, std::uint64_t value, int size, ByteOrder order) {
    for (int i = 0; i < size; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value >> shiftOf(i, size, order));
}

ExifEntry asciiEntry(std::uint16_t tag, const std::string& text) {
    Bytes bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytesEntry(tag, kExifAscii, bytes);
}

ExifEntry bytesEntry(std::uint16_t tag, std::uint16_t format, const Bytes& bytes) {
    return ExifEntry{tag, format, static_cast<std::uint32_t>(bytes.size() / componentSize(format)), bytes, {}, {}, false};
}

ExifEntry numberEntry(std::uint16_t tag, std::uint16_t format, std::vector<std::int64_t> values) {
    const bool rational = format == kExifRational || format == kExifSRational;
    const auto count = static_cast<std::uint32_t>(rational ? values.size() / 2 : values.size());
    return ExifEntry{tag, format, count, {}, std::move(values), {}, false};
}

ExifEntry shortEntry(std::uint16_t tag, std::vector<std::int64_t> values) {
    return numberEntry(tag, kExifShort, std::move(values));
}
ExifEntry longEntry(std::uint16_t tag, std::vector<std::int64_t> values) {
    return numberEntry(tag, kExifLong, std::move(values));
}
ExifEntry rationalEntry(std::uint16_t tag, std::vector<std::int64_t> numDenPairs) {
    return numberEntry(tag, kExifRational, std::move(numDenPairs));
}
ExifEntry srationalEntry(std::uint16_t tag, std::vector<std::int64_t> numDenPairs) {
    return numberEntry(tag, kExifSRational, std::move(numDenPairs));
}

ExifEntry doubleEntry(std::uint16_t tag, double value) {
    Bytes bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);  // DOUBLE values are kept in the machine's order
    return bytesEntry(tag, kExifDouble, bytes);
}

ExifEntry rawEntry(std::uint16_t tag, std::uint16_t format, std::uint32_t count, std::uint32_t field) {
    return ExifEntry{tag, format, count, {}, {}, field, false};
}

ExifBlock buildExif(const ExifSpec& recipe) {
    const ByteOrder order = recipe.order;
    ExifEntries ifd0 = recipe.ifd0;
    bool hasExif = recipe.exif || recipe.interop;
    ExifEntries exif = recipe.exif.value_or(ExifEntries{});
    ExifEntries ifd1 = recipe.ifd1.value_or(ExifEntries{});
    const ExifEntries interop = recipe.interop.value_or(ExifEntries{}), gps = recipe.gps.value_or(ExifEntries{});
    bool hasIfd1 = recipe.ifd1 || !recipe.thumbnail.empty();
    if (hasExif) ifd0.push_back(pointerEntry(0x8769));
    if (recipe.gps) ifd0.push_back(pointerEntry(0x8825));
    if (recipe.interop) exif.push_back(pointerEntry(0xA005));
    if (!recipe.thumbnail.empty()) {
        ifd1.push_back(pointerEntry(0x0201));
        ifd1.push_back(numberEntry(0x0202, recipe.thumbnailLengthFormat, {static_cast<std::int64_t>(recipe.thumbnail.size())}));
    }

    ExifBlock block;
    block.order = order;
    std::uint32_t at = kHeaderSize;
    auto place = [&](std::uint32_t& offset, bool present, const ExifEntries& entries) {
        if (!present) return;
        offset = at;
        at += directorySize(entries, order);
    };
    auto behind = [&](std::uint16_t pointerTag) {
        return std::find(recipe.behindThumbnail.begin(), recipe.behindThumbnail.end(), pointerTag) != recipe.behindThumbnail.end();
    };
    auto placeSubdirectories = [&](bool behindThumbnail) {
        place(block.exif, hasExif && behind(0x8769) == behindThumbnail, exif);
        place(block.interop, recipe.interop && behind(0xA005) == behindThumbnail, interop);
        place(block.gps, recipe.gps && behind(0x8825) == behindThumbnail, gps);
    };
    place(block.ifd0, true, ifd0);
    placeSubdirectories(false);
    place(block.ifd1, hasIfd1, ifd1);
    for (const ExifEntries& entries : recipe.extra) {
        block.extra.push_back(0);
        place(block.extra.back(), true, entries);
    }
    if (!recipe.thumbnail.empty()) block.thumbnailOffset = at;
    at += static_cast<std::uint32_t>(recipe.thumbnail.size());
    placeSubdirectories(true);
    const std::uint32_t lateAt = at;
    std::vector<const ExifEntries*> all{&ifd0, &exif, &interop, &gps, &ifd1};
    for (const ExifEntries& entries : recipe.extra) all.push_back(&entries);
    for (const ExifEntries* entries : all) at += valuesSize(*entries, order, true);

    if (hasExif) ifd0[ifd0.size() - (recipe.gps ? 2 : 1)].field = block.exif;
    if (recipe.gps) ifd0.back().field = block.gps;
    if (recipe.interop) exif.back().field = block.interop;
    if (!recipe.thumbnail.empty()) ifd1[ifd1.size() - 2].field = block.thumbnailOffset;

    Bytes tiff(at + recipe.trailer.size());
    Writer writer{tiff, order, lateAt};
    tiff[0] = tiff[1] = order == ByteOrder::Motorola ? 'M' : 'I';
    writer.put(2, 42, 2);
    writer.put(4, block.ifd0, 4);
    writer.directory(block.ifd0, ifd0, block.ifd1);
    if (hasExif) writer.directory(block.exif, exif, 0);
    if (recipe.interop) writer.directory(block.interop, interop, 0);
    if (recipe.gps) writer.directory(block.gps, gps, 0);
    if (hasIfd1) writer.directory(block.ifd1, ifd1, 0);
    for (std::size_t i = 0; i < recipe.extra.size(); ++i) writer.directory(block.extra[i], recipe.extra[i], 0);
    if (!recipe.thumbnail.empty()) {
        std::copy(recipe.thumbnail.begin(), recipe.thumbnail.end(), tiff.begin() + block.thumbnailOffset);
        block.thumbnailLengthValue = block.entryAt(block.ifd1, static_cast<int>(ifd1.size()) - 1) + 8;
    }
    std::copy(recipe.trailer.begin(), recipe.trailer.end(), tiff.begin() + at);

    block.payload = {'E', 'x', 'i', 'f', 0, 0};
    block.payload.insert(block.payload.end(), tiff.begin(), tiff.end());
    return block;
}

Bytes ExifBlock::segment() const {
    const std::size_t length = payload.size() + 2;
    Bytes out(length);
    putNumber(out, 0, length, 2, ByteOrder::Motorola);
    std::copy(payload.begin(), payload.end(), out.begin() + 2);
    return out;
}

std::uint16_t ExifBlock::get16(std::uint32_t at) const {
    return static_cast<std::uint16_t>(getNumber(payload, kPayloadPrefix + at, 2, order));
}
std::uint32_t ExifBlock::get32(std::uint32_t at) const {
    return static_cast<std::uint32_t>(getNumber(payload, kPayloadPrefix + at, 4, order));
}
void ExifBlock::put16(std::uint32_t at, std::uint16_t value) { putNumber(payload, kPayloadPrefix + at, value, 2, order); }
void ExifBlock::put32(std::uint32_t at, std::uint32_t value) { putNumber(payload, kPayloadPrefix + at, value, 4, order); }

std::uint32_t ExifBlock::valueOf(std::uint32_t dir, std::uint16_t tag) const {
    for (int i = 0; i < get16(dir); ++i) {
        const std::uint32_t entry = entryAt(dir, i);
        if (get16(entry) != tag) continue;
        const std::uint64_t bytes = std::uint64_t{get32(entry + 4)} * componentSize(get16(entry + 2));
        return bytes <= 4 ? entry + 8 : get32(entry + 8);
    }
    throw std::out_of_range("no such tag in the directory");
}

ExifSpec cameraExifSpec(ByteOrder order, const Bytes& thumbnail) {
    ExifSpec recipe;
    recipe.order = order;
    recipe.ifd0 = {asciiEntry(0x010F, "Velmora"), asciiEntry(0x0110, "PV-1 Zoom"), shortEntry(0x0112, {1}),
                   rationalEntry(0x011A, {72, 1}), rationalEntry(0x011B, {72, 1}), shortEntry(0x0128, {2}),
                   asciiEntry(0x0132, "2008:05:17 14:30:00")};
    recipe.exif = ExifEntries{rationalEntry(0x829A, {1, 250}), rationalEntry(0x829D, {28, 10}), shortEntry(0x8827, {200}),
                              asciiEntry(0x9003, "2008:05:17 14:29:58"), asciiEntry(0x9004, "2008:05:17 14:29:59"),
                              shortEntry(0x9207, {5}), shortEntry(0x9209, {16}), rationalEntry(0x920A, {63, 10}),
                              longEntry(0xA002, {640}), longEntry(0xA003, {480}), shortEntry(0xA403, {0})};
    recipe.interop = ExifEntries{asciiEntry(0x0001, "R98")};
    recipe.gps = ExifEntries{bytesEntry(0x0000, kExifByte, {2, 2, 0, 0}), asciiEntry(0x0001, "N"),
                             rationalEntry(0x0002, {52, 1, 22, 1, 512, 100}), asciiEntry(0x0003, "E"),
                             rationalEntry(0x0004, {13, 1, 24, 1, 3000, 1000}), bytesEntry(0x0005, kExifByte, {0}),
                             rationalEntry(0x0006, {1234, 10})};
    recipe.ifd1 = ExifEntries{shortEntry(0x0103, {6})};
    recipe.thumbnail = thumbnail;
    return recipe;
}

}  // namespace testsupport

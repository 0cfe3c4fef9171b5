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

// Appends directories one after another, each followed by the values that lie beside it; the
// values that go behind the thumbnail wait, in directory order, until placeLateValues.
struct Writer {
    ByteOrder order;
    Bytes tiff;
    std::vector<std::pair<int, std::pair<std::uint32_t, Bytes>>> late;  // directory rank, value field, value

    void put(std::uint32_t at, std::uint64_t value, int size) { putNumber(tiff, at, value, size, order); }
    std::uint32_t end() const { return static_cast<std::uint32_t>(tiff.size()); }
    void append(const Bytes& bytes) { tiff.insert(tiff.end(), bytes.begin(), bytes.end()); }
    void appendValue(std::uint32_t field, const Bytes& value) {
        put(field, end(), 4);
        append(value);
        if (value.size() % 2) tiff.push_back(0);
    }

    // The directory's offset; its link is 0.
    std::uint32_t directory(const ExifEntries& entries, int rank) {
        const std::uint32_t at = end();
        tiff.resize(at + 2 + 12 * entries.size() + 4);
        put(at, entries.size(), 2);
        std::uint32_t pos = at + 2;
        for (const ExifEntry& entry : entries) {
            put(pos, entry.tag, 2);
            put(pos + 2, entry.format, 2);
            put(pos + 4, entry.count, 4);
            const Bytes value = encodeValue(entry, order);
            if (entry.field)
                put(pos + 8, *entry.field, 4);
            else if (value.size() <= 4)  // an empty value leaves the 4 bytes zero
                std::copy(value.begin(), value.end(), tiff.begin() + pos + 8);
            else if (entry.behindThumbnail)
                late.push_back({rank, {pos + 8, value}});
            else
                appendValue(pos + 8, value);
            pos += 12;
        }
        return at;
    }
    void placeLateValues() {
        std::stable_sort(late.begin(), late.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [rank, value] : late) appendValue(value.first, value.second);
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
    ExifEntries ifd0 = recipe.ifd0, exif = recipe.exif.value_or(ExifEntries{}), ifd1 = recipe.ifd1.value_or(ExifEntries{});
    const bool hasExif = recipe.exif || recipe.interop, hasThumbnail = !recipe.thumbnail.empty();
    if (hasExif) ifd0.push_back(pointerEntry(0x8769));
    if (recipe.gps) ifd0.push_back(pointerEntry(0x8825));
    if (recipe.interop) exif.push_back(pointerEntry(0xA005));
    if (hasThumbnail) {
        ifd1.push_back(pointerEntry(0x0201));
        ifd1.push_back(numberEntry(0x0202, recipe.thumbnailLengthFormat, {static_cast<std::int64_t>(recipe.thumbnail.size())}));
    }

    ExifBlock block;
    block.order = recipe.order;
    Writer writer{recipe.order, Bytes(kHeaderSize), {}};
    writer.tiff[0] = writer.tiff[1] = recipe.order == ByteOrder::Motorola ? 'M' : 'I';
    writer.put(2, 42, 2);
    writer.put(4, kHeaderSize, 4);
    block.ifd0 = writer.directory(ifd0, 0);
    auto subdirectories = [&](bool behindThumbnail) {
        auto behind = [&](std::uint16_t tag) {
            return std::count(recipe.behindThumbnail.begin(), recipe.behindThumbnail.end(), tag) != 0;
        };
        if (hasExif && behind(0x8769) == behindThumbnail) block.exif = writer.directory(exif, 1);
        if (recipe.interop && behind(0xA005) == behindThumbnail) block.interop = writer.directory(*recipe.interop, 2);
        if (recipe.gps && behind(0x8825) == behindThumbnail) block.gps = writer.directory(*recipe.gps, 3);
    };
    subdirectories(false);
    if (recipe.ifd1 || hasThumbnail) block.ifd1 = writer.directory(ifd1, 4);
    for (const ExifEntries& entries : recipe.extra)
        block.extra.push_back(writer.directory(entries, 5 + static_cast<int>(block.extra.size())));
    if (hasThumbnail) block.thumbnailOffset = writer.end();
    writer.append(recipe.thumbnail);
    subdirectories(true);
    writer.placeLateValues();
    writer.append(recipe.trailer);

    // What was not known while the directories were written: links, pointers, the thumbnail's place.
    auto valueField = [](std::uint32_t dir, std::size_t index) { return dir + 2 + 12 * static_cast<std::uint32_t>(index) + 8; };
    writer.put(valueField(block.ifd0, ifd0.size()) - 8, block.ifd1, 4);
    if (hasExif) writer.put(valueField(block.ifd0, ifd0.size() - (recipe.gps ? 2 : 1)), block.exif, 4);
    if (recipe.gps) writer.put(valueField(block.ifd0, ifd0.size() - 1), block.gps, 4);
    if (recipe.interop) writer.put(valueField(block.exif, exif.size() - 1), block.interop, 4);
    if (hasThumbnail) {
        writer.put(valueField(block.ifd1, ifd1.size() - 2), block.thumbnailOffset, 4);
        block.thumbnailLengthValue = valueField(block.ifd1, ifd1.size() - 1);
    }
    block.payload = {'E', 'x', 'i', 'f', 0, 0};
    block.payload.insert(block.payload.end(), writer.tiff.begin(), writer.tiff.end());
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

#include "jpegfile/photoshop_thumbnail.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "jpegfile/picture_layout.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr char kIdentifier[] = "Photoshop 3.0";  // and its terminating zero
constexpr std::size_t kIdentifierSize = sizeof kIdentifier;
constexpr unsigned kThumbnail = 0x040C, kOldThumbnail = 0x0409;
constexpr std::size_t kHeaderSize = 28;
constexpr std::uint32_t kJpegFormat = 1;
constexpr std::size_t kMaxPayload = 0xFFFF - 2;

std::uint32_t bigEndian(const unsigned char* at, int width) {
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i) value = value << 8 | at[i];
    return value;
}

void putBigEndian(unsigned char* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (24 - 8 * i));
}

bool fail(std::string* reason, const std::string& text) {
    *reason = text;
    return false;
}

// One image resource block as it stands in the payload.
struct Resource {
    unsigned id = 0;
    std::size_t sizeAt = 0;    // its 4-byte size, behind its name
    std::size_t dataAt = 0;
    std::uint32_t dataSize = 0;
    std::size_t end = 0;       // behind its padding
    bool cut = false;          // its data reaches past the segment: it continues in the next one
};

// The resource blocks from the start on, as far as they are blocks; a segment that continues
// another's resource begins with no signature and lists none.
std::vector<Resource> resourcesOf(const Bytes& payload) {
    std::vector<Resource> resources;
    std::size_t at = kIdentifierSize;
    while (payload.size() - at >= 12 && std::memcmp(&payload[at], "8BIM", 4) == 0) {
        Resource resource;
        resource.id = bigEndian(&payload[at + 4], 2);
        const std::size_t nameField = (std::size_t{payload[at + 6]} + 2) & ~std::size_t{1};
        resource.sizeAt = at + 6 + nameField;
        if (resource.sizeAt + 4 > payload.size()) break;
        resource.dataSize = bigEndian(&payload[resource.sizeAt], 4);
        resource.dataAt = resource.sizeAt + 4;
        resource.cut = resource.dataSize > payload.size() - resource.dataAt;
        resource.end = resource.cut ? payload.size()
                                    : std::min(payload.size(), resource.dataAt + resource.dataSize + (resource.dataSize & 1));
        resources.push_back(resource);
        at = resource.end;
    }
    return resources;
}

// The resource's data with its JPEG turned and its header saying so.
bool turnedData(const Bytes& payload, const Resource& resource, const JpegStreamTurner& turnJpeg, Bytes* data,
                std::string* reason) {
    if (resource.cut) return fail(reason, "the Photoshop thumbnail continues in another segment");
    const unsigned char* header = &payload[resource.dataAt];
    if (resource.dataSize < kHeaderSize) return fail(reason, "the Photoshop thumbnail is cut short");
    if (bigEndian(header, 4) != kJpegFormat) return fail(reason, "the Photoshop thumbnail is not a JPEG");
    const std::size_t jpegSize = std::min<std::size_t>(bigEndian(header + 20, 4), resource.dataSize - kHeaderSize);
    Bytes turned;
    std::string why;
    if (!turnJpeg(header + kHeaderSize, jpegSize, &turned, &why))
        return fail(reason, "the Photoshop thumbnail cannot be turned: " + why);
    const PictureLayout layout = pictureLayout(turned.data(), turned.size());
    const std::uint32_t bitsPerPixel = bigEndian(header + 24, 2), planes = bigEndian(header + 26, 2);
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(layout.width) * bitsPerPixel + 31) / 32 * 4;
    data->assign(header, header + kHeaderSize);
    putBigEndian(data->data() + 4, static_cast<std::uint32_t>(layout.width));
    putBigEndian(data->data() + 8, static_cast<std::uint32_t>(layout.height));
    putBigEndian(data->data() + 12, rowBytes);
    putBigEndian(data->data() + 16, rowBytes * static_cast<std::uint32_t>(layout.height) * planes);
    putBigEndian(data->data() + 20, static_cast<std::uint32_t>(turned.size()));
    data->insert(data->end(), turned.begin(), turned.end());
    return true;
}

}  // namespace

bool isPhotoshopPayload(const unsigned char* payload, std::size_t size) {
    return size >= kIdentifierSize && std::memcmp(payload, kIdentifier, kIdentifierSize) == 0;
}

bool turnPhotoshopThumbnails(Bytes* payload, const JpegStreamTurner& turnJpeg, std::string* reason) {
    if (!isPhotoshopPayload(payload->data(), payload->size())) return fail(reason, "the segment holds no Photoshop resources");
    Bytes rebuilt;
    std::size_t copied = 0;
    for (const Resource& resource : resourcesOf(*payload)) {
        if (resource.id != kThumbnail && resource.id != kOldThumbnail) continue;
        Bytes data;
        if (!turnedData(*payload, resource, turnJpeg, &data, reason)) return false;
        rebuilt.insert(rebuilt.end(), payload->begin() + long(copied), payload->begin() + long(resource.sizeAt));
        rebuilt.resize(rebuilt.size() + 4);
        putBigEndian(&rebuilt[rebuilt.size() - 4], static_cast<std::uint32_t>(data.size()));
        rebuilt.insert(rebuilt.end(), data.begin(), data.end());
        if (data.size() & 1) rebuilt.push_back(0);
        copied = resource.end;
    }
    if (copied == 0) return true;
    rebuilt.insert(rebuilt.end(), payload->begin() + long(copied), payload->end());
    if (rebuilt.size() > kMaxPayload)
        return fail(reason, "the turned Photoshop thumbnail would make its segment exceed 65535 bytes");
    *payload = std::move(rebuilt);
    return true;
}

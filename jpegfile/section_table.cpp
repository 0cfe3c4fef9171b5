#include "jpegfile/section_table.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "exif/photo_info.h"
#include "jpegfile/segment_fields.h"

thread_local SectionTable sectionTable;

void clearSectionTable() { std::memset(&sectionTable, 0, sizeof sectionTable); }

JpegSection* findSectionByMarker(int markerCode) {
    for (int i = 0; i < sectionTable.count; ++i) {
        if (sectionTable.entries[i].markerCode == markerCode) return &sectionTable.entries[i];
    }
    return nullptr;
}

JpegSection* findExifSection() {
    for (int i = 0; i < sectionTable.count; ++i) {
        JpegSection& entry = sectionTable.entries[i];
        if (entry.markerCode == kApp1 && hasExifSignature(entry.bytes, entry.byteCount)) return &entry;
    }
    return nullptr;
}

bool isJfifSection(const JpegSection& entry) {
    return entry.markerCode == kApp0 && hasJfifSignature(entry.bytes, entry.byteCount);
}

namespace {

// Moves the entries that `keep` chooses to the front, in their order, and frees the others.
template <typename Keep>
void keepEntries(Keep keep) {
    int kept = 0;
    for (int i = 0; i < sectionTable.count; ++i) {
        JpegSection& entry = sectionTable.entries[i];
        if (keep(entry)) {
            sectionTable.entries[kept++] = entry;
        } else {
            std::free(entry.bytes);
        }
    }
    for (int i = kept; i < sectionTable.count; ++i) sectionTable.entries[i] = JpegSection{};
    sectionTable.count = kept;
}

}  // namespace

void keepExifAndComment() {
    const JpegSection* exif = findExifSection();
    const JpegSection* jfif = nullptr;
    for (int i = 0; i < sectionTable.count && !exif && !jfif; ++i)
        if (isJfifSection(sectionTable.entries[i])) jfif = &sectionTable.entries[i];
    const JpegSection* comment = findSectionByMarker(kComment);
    keepEntries([&](const JpegSection& entry) { return &entry == exif || &entry == jfif || &entry == comment; });
    // The JFIF header or the Exif block stands first, the comment behind it.
    if (sectionTable.count == 2 && sectionTable.entries[0].markerCode == kComment)
        std::swap(sectionTable.entries[0], sectionTable.entries[1]);
}

void keepApplicationSegments() {
    const bool exifPresent = findExifSection() != nullptr;
    keepEntries([&](const JpegSection& entry) {
        return isApplicationMarker(entry.markerCode) && !(exifPresent && isJfifSection(entry));
    });
    sectionTable.imageDataLoaded = 0;
}

int replaceSectionPayload(JpegSection* entry, const unsigned char* payload, std::size_t size) {
    constexpr std::size_t kMaxPayload = 0xFFFF - 2;
    if (entry->markerCode == ImageDataMarker || size > kMaxPayload) return 0;
    auto* bytes = static_cast<unsigned char*>(std::malloc(size + 2));
    if (!bytes) return 0;
    bytes[0] = static_cast<unsigned char>((size + 2) >> 8);
    bytes[1] = static_cast<unsigned char>((size + 2) & 0xFF);
    if (size) std::memcpy(bytes + 2, payload, size);
    std::free(entry->bytes);
    entry->bytes = bytes;
    entry->byteCount = static_cast<std::int32_t>(size + 2);
    return 1;
}

int appendSection(int markerCode, const unsigned char* payload, std::size_t size) {
    if (sectionTable.count >= kMaxSections || sectionTable.imageDataLoaded) return 0;
    JpegSection entry{nullptr, markerCode, 0};
    if (!replaceSectionPayload(&entry, payload, size)) return 0;
    sectionTable.entries[sectionTable.count++] = entry;
    return 1;
}

void releaseSections() {
    for (int i = 0; i < sectionTable.count; ++i) std::free(sectionTable.entries[i].bytes);
    clearSectionTable();
    clearPhotoInfo();
}

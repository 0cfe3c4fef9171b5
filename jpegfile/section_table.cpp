#include "jpegfile/section_table.h"

#include <cstdlib>
#include <cstring>

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

void keepExifAndComment() {
    JpegSection exifKeeper{};
    JpegSection commentKeeper{};
    bool haveExif = false;
    bool haveComment = false;
    for (int i = 0; i < sectionTable.count; ++i) {
        JpegSection& entry = sectionTable.entries[i];
        if (entry.markerCode == kApp1 && !haveExif) {
            exifKeeper = entry;
            haveExif = true;
        } else if (entry.markerCode == kComment && !haveComment) {
            commentKeeper = entry;
            haveComment = true;
        } else {
            std::free(entry.bytes);
        }
        entry = JpegSection{};
    }
    sectionTable.count = 0;
    if (haveExif) sectionTable.entries[sectionTable.count++] = exifKeeper;
    if (haveComment) sectionTable.entries[sectionTable.count++] = commentKeeper;
}

void releaseSections() {
    for (int i = 0; i < sectionTable.count; ++i) std::free(sectionTable.entries[i].bytes);
    clearSectionTable();
    clearPhotoInfo();
}

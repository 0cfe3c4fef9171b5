// Writing the section table back as a complete JPEG file.

#include <sys/stat.h>

#include <string>

#include "exif/report_error.h"
#include "jpegfile/section_table.h"
#include "jpegfile/segment_fields.h"
#include "platform/file_attributes.h"
#include "platform/pending_file.h"

const unsigned char kJfifHeader[kJfifHeaderSize] = {0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00,
                                                    0x01, 0x01, 0x01, 0x01, 0x2C, 0x01, 0x2C, 0x00, 0x00};

namespace {

// The table can be written only when it ends with the image data of a read with ReadImageData.
bool holdsImageData() {
    return sectionTable.imageDataLoaded && sectionTable.count > 0 &&
           sectionTable.entries[sectionTable.count - 1].markerCode == ImageDataMarker;
}

bool writeBytes(FILE* file, const unsigned char* bytes, size_t size) {
    return size == 0 || std::fwrite(bytes, 1, size, file) == size;
}

bool writeMarker(FILE* file, int markerCode) {
    const unsigned char marker[2] = {0xFF, static_cast<unsigned char>(markerCode & 0xFF)};
    return writeBytes(file, marker, sizeof marker);
}

bool writeTable(FILE* file) {
    static const unsigned char kStartOfImage[2] = {0xFF, 0xD8};
    if (!writeBytes(file, kStartOfImage, sizeof kStartOfImage)) return false;
    int leading = sectionTable.entries[0].markerCode;
    if (leading != kApp0 && leading != kApp1 && !writeBytes(file, kJfifHeader, sizeof kJfifHeader)) return false;
    int last = sectionTable.count - 1;
    for (int i = 0; i < last; ++i) {
        const JpegSection& entry = sectionTable.entries[i];
        if (!writeMarker(file, entry.markerCode)) return false;
        if (!writeBytes(file, entry.bytes, static_cast<size_t>(entry.byteCount))) return false;
    }
    // The image data carries its own end: the EOI marker and whatever followed it.
    const JpegSection& imageData = sectionTable.entries[last];
    return writeBytes(file, imageData.bytes, static_cast<size_t>(imageData.byteCount));
}

}  // namespace

int writeSectionsToStream(FILE* file) {
    if (!holdsImageData()) {
        reportError("Can't write back - didn't read all");
        return 0;
    }
    if (!writeTable(file) || std::fflush(file) != 0 || std::ferror(file)) {
        reportError("Could not write file");
        return 0;
    }
    return 1;
}

int writeSectionsToFile(const char* path) {
    if (!holdsImageData()) {
        reportError("Can't write back - didn't read all");
        return 0;
    }
    platform::PendingFile pending;
    if (!pending.open(path, nullptr)) {
        reportError("Could not open file for write");
        return 0;
    }
    // The new file keeps the permissions of the photograph it replaces; a file that did not
    // exist gets those of any newly created file rather than the temporary file's 0600.
    if (!platform::applyAttributesOfReplaced(pending.fd(), path, 0666)) {
        reportError("Could not write file");
        return 0;
    }
    if (!writeSectionsToStream(pending.stream())) return 0;  // the pending file is discarded
    if (!pending.commit(nullptr)) {
        reportError("Could not write file");
        return 0;
    }
    return 1;
}

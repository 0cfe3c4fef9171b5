// Writing the section table back as a complete JPEG file.

#include <sys/stat.h>

#include <cstring>
#include <functional>
#include <string>

#include "exif/report_error.h"
#include "jpegfile/section_table.h"
#include "platform/file_attributes.h"
#include "platform/pending_file.h"

namespace {

// The table can be written only when it ends with the image data of a read with ReadImageData.
bool holdsImageData() {
    return sectionTable.imageDataLoaded && sectionTable.count > 0 &&
           sectionTable.entries[sectionTable.count - 1].markerCode == ImageDataMarker;
}

// Takes the next piece of the file; false when it could not be written.
using ByteSink = std::function<bool(const unsigned char* bytes, size_t size)>;

// SOI, every entry with its marker as it stands, then the image data, which carries its own
// end: the EOI marker and whatever followed it.
bool writeTable(const ByteSink& write) {
    static const unsigned char kStartOfImage[2] = {0xFF, 0xD8};
    if (!write(kStartOfImage, sizeof kStartOfImage)) return false;
    int last = sectionTable.count - 1;
    for (int i = 0; i < last; ++i) {
        const JpegSection& entry = sectionTable.entries[i];
        const unsigned char marker[2] = {0xFF, static_cast<unsigned char>(entry.markerCode & 0xFF)};
        if (!write(marker, sizeof marker) || !write(entry.bytes, static_cast<size_t>(entry.byteCount))) return false;
    }
    const JpegSection& imageData = sectionTable.entries[last];
    return write(imageData.bytes, static_cast<size_t>(imageData.byteCount));
}

}  // namespace

int writeSectionsToStream(FILE* file) {
    if (!holdsImageData()) {
        reportError("Can't write back - didn't read all");
        return 0;
    }
    auto toFile = [file](const unsigned char* bytes, size_t size) {
        return size == 0 || std::fwrite(bytes, 1, size, file) == size;
    };
    if (!writeTable(toFile) || std::fflush(file) != 0 || std::ferror(file)) {
        reportError("Could not write file");
        return 0;
    }
    return 1;
}

int writeSectionsToMemory(std::vector<unsigned char>* out) {
    if (!holdsImageData()) {
        reportError("Can't write back - didn't read all");
        return 0;
    }
    // Measured first and then copied into place: the file is written into memory once.
    size_t total = 0;
    writeTable([&total](const unsigned char*, size_t size) {
        total += size;
        return true;
    });
    out->resize(total);
    size_t at = 0;
    writeTable([out, &at](const unsigned char* bytes, size_t size) {
        if (size != 0) std::memcpy(out->data() + at, bytes, size);
        at += size;
        return true;
    });
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

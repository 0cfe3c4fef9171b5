// Reading a JPEG file's marker segments into the section table (loadJpegFile,
// readSectionsFromStream).

#include <sys/types.h>

#include <climits>
#include <cstdlib>

#include "exif/exif_block.h"
#include "exif/report_error.h"
#include "jpegfile/diagnostics.h"
#include "jpegfile/section_table.h"
#include "jpegfile/segment_fields.h"

namespace {

constexpr int kStartOfImage = 0xD8;
constexpr int kEndOfImage = 0xD9;
constexpr int kStartOfScan = 0xDA;
constexpr int kMarkerPrefix = 0xFF;
// The marker's own 0xFF and up to five fill bytes.
constexpr int kMaxPrefixBytes = 6;
constexpr int kEndOfFile = -1;
constexpr int kTooMuchPadding = -2;

// What one read needs to decide on an APP1 or COM segment.
struct ReadContext {
    int mode = 0;
    // Entries kept from the photograph before this read, which stand for the transformed
    // file's own Exif APP1 and first COM.
    bool exifKeptBefore = false;
    bool commentKeptBefore = false;
    bool commentSeen = false;  // a COM segment met during this read
};

// The code after the marker prefix; kEndOfFile or kTooMuchPadding when there is none.
int readMarkerCode(FILE* file) {
    for (int byteIndex = 0;; ++byteIndex) {
        int byte = std::getc(file);
        if (byte == EOF) return kEndOfFile;
        if (byte != kMarkerPrefix) return byte;
        if (byteIndex == kMaxPrefixBytes) return kTooMuchPadding;
    }
}

void setLengthField(JpegSection& entry) {
    entry.bytes[0] = static_cast<unsigned char>(entry.byteCount >> 8);
    entry.bytes[1] = static_cast<unsigned char>(entry.byteCount & 0xFF);
}

// A segment cut short by the end of the file keeps what was read, under a length field that
// says so: no byte that was never read may reach a written file.
void shrinkToRead(JpegSection& entry, size_t payloadRead) {
    entry.byteCount = static_cast<std::int32_t>(2 + payloadRead);
    setLengthField(entry);
    if (void* smaller = std::realloc(entry.bytes, static_cast<size_t>(entry.byteCount))) {
        entry.bytes = static_cast<unsigned char*>(smaller);
    }
}

// Reads the length and payload of the segment behind `markerCode` into the next free entry.
bool readSegment(FILE* file, int markerCode) {
    int high = std::getc(file);
    int low = high == EOF ? EOF : std::getc(file);
    int length = (high == EOF || low == EOF) ? 0 : (high << 8) | low;
    if (length < 2) {
        reportError("invalid marker");
        return false;
    }
    auto* bytes = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(length)));
    if (!bytes) {
        reportError("Could not allocate memory");
        return false;
    }
    JpegSection& entry = sectionTable.entries[sectionTable.count];
    entry = JpegSection{bytes, markerCode, length};
    bytes[0] = static_cast<unsigned char>(high);
    bytes[1] = static_cast<unsigned char>(low);
    size_t wanted = static_cast<size_t>(length) - 2;
    size_t got = std::fread(bytes + 2, 1, wanted, file);
    if (got < wanted) {
        reportError("Premature end of file?");
        shrinkToRead(entry, got);
    }
    ++sectionTable.count;
    return true;
}

// Bytes from the current position to the end of the file; -1 when the stream cannot seek.
off_t remainingBytes(FILE* file) {
    off_t start = ftello(file);
    if (start < 0 || fseeko(file, 0, SEEK_END) != 0) return -1;
    off_t end = ftello(file);
    if (fseeko(file, start, SEEK_SET) != 0 || end < start) return -1;
    return end - start;
}

// Everything after the SOS segment, as one last entry. A remainder that cannot be read in full
// fails the read: writing back a cut-off image would lose the end of the photograph.
bool readImageData(FILE* file) {
    if (sectionTable.count >= kMaxSections) {
        reportError("Too many sections in jpg file");
        return false;
    }
    off_t size = remainingBytes(file);
    if (size < 0) {
        reportError("could not read the rest of the image");
        return false;
    }
    if (size > INT32_MAX) {
        reportError("could not allocate data for entire image");
        return false;
    }
    // One byte at least, so that an empty remainder still has a buffer of its own.
    auto* data = static_cast<unsigned char*>(std::malloc(size > 0 ? static_cast<size_t>(size) : 1));
    if (!data) {
        reportError("could not allocate data for entire image");
        return false;
    }
    size_t got = std::fread(data, 1, static_cast<size_t>(size), file);
    if (got != static_cast<size_t>(size) || std::getc(file) != EOF) {
        reportError("could not read the rest of the image");
        std::free(data);
        return false;
    }
    sectionTable.entries[sectionTable.count++] = JpegSection{data, ImageDataMarker, static_cast<std::int32_t>(size)};
    sectionTable.imageDataLoaded = 1;
    return true;
}

bool keepApp1(JpegSection& entry, const ReadContext& context) {
    bool isExif = hasExifSignature(entry.bytes, entry.byteCount);
    if (context.mode & ReadMetadata) {
        if (isExif) processExifBlock(entry.bytes, static_cast<unsigned>(entry.byteCount));
        return isExif;
    }
    // The transformed file's Exif block gives way to the photograph's kept one; its other APP1
    // segments (XMP and the like) stay where they are.
    if (context.mode & ReadImageData) return !(isExif && context.exifKeptBefore);
    return false;
}

bool keepComment(JpegSection& entry, ReadContext& context) {
    bool first = !context.commentSeen;
    context.commentSeen = true;
    if (context.mode & ReadMetadata) {
        if (first) storeComment(entry.bytes, entry.byteCount);
        return first;
    }
    if (context.mode & ReadImageData) return !(first && context.commentKeptBefore);
    return false;
}

void dropLastEntry() {
    JpegSection& entry = sectionTable.entries[--sectionTable.count];
    std::free(entry.bytes);
    entry = JpegSection{};
}

enum class Next { Continue, Done, Fail };

Next actOnSegment(FILE* file, ReadContext& context) {
    JpegSection& entry = sectionTable.entries[sectionTable.count - 1];
    int code = entry.markerCode;
    if (isFrameMarker(code)) {
        if (entry.byteCount >= kFrameHeaderSize) storeFrameHeader(entry.bytes, code);
        return Next::Continue;
    }
    switch (code) {
        case kEndOfImage:
            std::fputs("No image in jpeg!\n", sectionDiagnostics());
            return Next::Fail;
        case kStartOfScan:
            if ((context.mode & ReadImageData) && !readImageData(file)) return Next::Fail;
            return Next::Done;
        case kApp0:
            dropLastEntry();
            return Next::Continue;
        case kApp1:
            if (!keepApp1(entry, context)) dropLastEntry();
            return Next::Continue;
        case kComment:
            if (!keepComment(entry, context)) dropLastEntry();
            return Next::Continue;
        default:
            return Next::Continue;
    }
}

}  // namespace

int readSectionsFromStream(FILE* file, int mode) {
    if (std::getc(file) != kMarkerPrefix || std::getc(file) != kStartOfImage) return 0;
    ReadContext context;
    context.mode = mode;
    context.exifKeptBefore = findExifSection() != nullptr;
    context.commentKeptBefore = findSectionByMarker(kComment) != nullptr;
    for (;;) {
        if (sectionTable.count >= kMaxSections) {
            reportError("Too many sections in jpg file");
            return 0;
        }
        int code = readMarkerCode(file);
        if (code == kTooMuchPadding) {
            std::fputs("too many padding bytes\n", sectionDiagnostics());
            return 0;
        }
        if (code == kEndOfFile) {
            reportError("invalid marker");
            return 0;
        }
        if (!readSegment(file, code)) return 0;
        Next next = actOnSegment(file, context);
        if (next != Next::Continue) return next == Next::Done ? 1 : 0;
    }
}

int loadJpegFile(const char* path, int mode) {
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        std::fprintf(stderr, "can't open '%s'\n", path);
        return 0;
    }
    int result = readSectionsFromStream(file, mode);
    if (!result) std::fprintf(sectionDiagnostics(), "Not JPEG: %s\n", path);
    std::fclose(file);
    if (!result) releaseSections();
    return result;
}

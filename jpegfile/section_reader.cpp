// Reading a JPEG file's marker segments into the section table (loadJpegFile,
// readSectionsFromStream, readSectionsFromMemory).

#include <sys/types.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

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
constexpr int kEndOfFile = -1;

// Where a read takes its bytes from: an open stream or a buffer in memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual int next() = 0;  // the next byte, or kEndOfFile
    virtual size_t read(unsigned char* to, size_t count) = 0;
    virtual off_t remaining() = 0;  // bytes left to read; -1 when that cannot be told
};

class StreamSource : public ByteSource {
public:
    explicit StreamSource(FILE* file) : file_(file) {}
    int next() override { return std::getc(file_); }
    size_t read(unsigned char* to, size_t count) override { return std::fread(to, 1, count, file_); }
    off_t remaining() override {
        off_t start = ftello(file_);
        if (start < 0 || fseeko(file_, 0, SEEK_END) != 0) return -1;
        off_t end = ftello(file_);
        if (fseeko(file_, start, SEEK_SET) != 0 || end < start) return -1;
        return end - start;
    }

private:
    FILE* file_;
};

class MemorySource : public ByteSource {
public:
    MemorySource(const unsigned char* data, size_t size) : data_(data), size_(size) {}
    int next() override { return at_ < size_ ? data_[at_++] : kEndOfFile; }
    size_t read(unsigned char* to, size_t count) override {
        size_t taken = std::min(count, size_ - at_);
        if (taken) std::memcpy(to, data_ + at_, taken);
        at_ += taken;
        return taken;
    }
    off_t remaining() override { return static_cast<off_t>(size_ - at_); }

private:
    const unsigned char* data_;
    size_t size_;
    size_t at_ = 0;
};

// What one read needs to decide on an APPn or COM segment.
struct ReadContext {
    int mode = 0;
    // Entries kept from the photograph before this read, which stand for the transformed
    // file's own Exif APP1 and first COM.
    bool exifKeptBefore = false;
    bool commentKeptBefore = false;
    bool exifSeen = false;     // an Exif APP1 met during this read
    bool commentSeen = false;  // a COM segment met during this read
};

// The code after the marker prefix and any number of fill bytes, or kEndOfFile. A code with no
// 0xFF in front of it is taken all the same.
int readMarkerCode(ByteSource& source) {
    int byte = source.next();
    while (byte == kMarkerPrefix) byte = source.next();
    return byte;
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
bool readSegment(ByteSource& source, int markerCode) {
    int high = source.next();
    int low = high == kEndOfFile ? kEndOfFile : source.next();
    int length = (high == kEndOfFile || low == kEndOfFile) ? 0 : (high << 8) | low;
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
    size_t got = source.read(bytes + 2, wanted);
    if (got < wanted) {
        reportError("Premature end of file?");
        shrinkToRead(entry, got);
    }
    ++sectionTable.count;
    return true;
}

// Everything after the SOS segment, as one last entry. A remainder that cannot be read in full
// fails the read: writing back a cut-off image would lose the end of the photograph.
bool readImageData(ByteSource& source) {
    if (sectionTable.count >= kMaxSections) {
        reportError("Too many sections in jpg file");
        return false;
    }
    off_t size = source.remaining();
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
    size_t got = source.read(data, static_cast<size_t>(size));
    if (got != static_cast<size_t>(size) || source.next() != kEndOfFile) {
        reportError("could not read the rest of the image");
        std::free(data);
        return false;
    }
    sectionTable.entries[sectionTable.count++] = JpegSection{data, ImageDataMarker, static_cast<std::int32_t>(size)};
    sectionTable.imageDataLoaded = 1;
    return true;
}

// A metadata read keeps every application segment and comment; the first Exif block fills
// photoInfo (a later one would describe bytes that are not the kept block's) and so does the
// first comment.
void takeMetadata(JpegSection& entry, ReadContext& context) {
    if (entry.markerCode == kApp1 && !context.exifSeen && hasExifSignature(entry.bytes, entry.byteCount)) {
        context.exifSeen = true;
        processExifBlock(entry.bytes, static_cast<unsigned>(entry.byteCount));
    }
    if (entry.markerCode == kComment && !context.commentSeen) {
        context.commentSeen = true;
        storeComment(entry.bytes, entry.byteCount);
    }
}

// Without ReadMetadata: the transformed file's JFIF header, Exif block and first comment give
// way to those kept from the photograph; its other APP1 and COM segments stay where they are.
bool keptFromTransformedCopy(JpegSection& entry, ReadContext& context) {
    if (!(context.mode & ReadImageData)) return entry.markerCode != kApp1 && entry.markerCode != kComment;
    if (entry.markerCode == kApp1) return !(context.exifKeptBefore && hasExifSignature(entry.bytes, entry.byteCount));
    if (entry.markerCode == kComment) {
        bool first = !context.commentSeen;
        context.commentSeen = true;
        return !(first && context.commentKeptBefore);
    }
    return true;
}

bool keepApplicationSegment(JpegSection& entry, ReadContext& context) {
    if (context.mode & ReadMetadata) {
        takeMetadata(entry, context);
        return true;
    }
    return entry.markerCode != kApp0 && keptFromTransformedCopy(entry, context);
}

void dropLastEntry() {
    JpegSection& entry = sectionTable.entries[--sectionTable.count];
    std::free(entry.bytes);
    entry = JpegSection{};
}

enum class Next { Continue, Done, Fail };

Next actOnSegment(ByteSource& source, ReadContext& context) {
    JpegSection& entry = sectionTable.entries[sectionTable.count - 1];
    int code = entry.markerCode;
    if (isFrameMarker(code)) {
        if (entry.byteCount >= kFrameHeaderSize) storeFrameHeader(entry.bytes, code);
        return Next::Continue;
    }
    if (isApplicationMarker(code)) {
        if (!keepApplicationSegment(entry, context)) dropLastEntry();
        return Next::Continue;
    }
    switch (code) {
        case kEndOfImage:
            std::fputs("No image in jpeg!\n", sectionDiagnostics());
            return Next::Fail;
        case kStartOfScan:
            if ((context.mode & ReadImageData) && !readImageData(source)) return Next::Fail;
            return Next::Done;
        default:
            return Next::Continue;
    }
}

int readSections(ByteSource& source, int mode) {
    if (source.next() != kMarkerPrefix || source.next() != kStartOfImage) return 0;
    ReadContext context;
    context.mode = mode;
    context.exifKeptBefore = findExifSection() != nullptr;
    context.commentKeptBefore = findSectionByMarker(kComment) != nullptr;
    for (;;) {
        if (sectionTable.count >= kMaxSections) {
            reportError("Too many sections in jpg file");
            return 0;
        }
        int code = readMarkerCode(source);
        if (code == kEndOfFile) {
            reportError("invalid marker");
            return 0;
        }
        if (!readSegment(source, code)) return 0;
        Next next = actOnSegment(source, context);
        if (next != Next::Continue) return next == Next::Done ? 1 : 0;
    }
}

}  // namespace

int readSectionsFromStream(FILE* file, int mode) {
    StreamSource source(file);
    return readSections(source, mode);
}

int readSectionsFromMemory(const unsigned char* data, std::size_t size, int mode) {
    MemorySource source(data, size);
    return readSections(source, mode);
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

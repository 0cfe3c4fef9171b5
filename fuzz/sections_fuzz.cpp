// The section container on hostile input: a read of any bytes in any mode, from a stream and from
// memory with the same table, then what the rotation workflow does with the table: keep, thumbnail
// out and back in, a second read, the write-back to a stream and to memory with the same bytes.
// The first input byte chooses the read modes (bits 0-1 and 2-3) and the keep (bit 4: every
// application segment, else the Exif block and comment); the rest is the file. The second half
// of the file also serves as the new thumbnail.

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "exif/photo_info.h"
#include "exif/report_error.h"
#include "jpegfile/section_table.h"
#include "jpegfile/thumbnail.h"

namespace {

std::string folderPath;

void removeScratchFolder() {
    unlink((folderPath + "/thumb.thi").c_str());
    unlink((folderPath + "/thumb.tho").c_str());
    rmdir(folderPath.c_str());
}

// One private folder per process for the thumbnail files, removed when the process exits.
const std::string& scratchFolder() {
    if (folderPath.empty()) {
        char pattern[] = "/tmp/pivora-sections-fuzz-XXXXXX";
        if (!mkdtemp(pattern)) abort();
        folderPath = pattern;
        std::atexit(removeScratchFolder);
    }
    return folderPath;
}

int readFromStream(const std::vector<std::uint8_t>& file, int mode) {
    if (file.empty()) return 0;  // fmemopen refuses an empty buffer
    std::vector<std::uint8_t> copy = file;
    FILE* stream = fmemopen(copy.data(), copy.size(), "rb");
    if (!stream) return 0;
    int result = readSectionsFromStream(stream, mode);
    std::fclose(stream);
    return result;
}

using Table = std::vector<std::pair<int, std::vector<std::uint8_t>>>;

Table tableNow() {
    Table table;
    for (int i = 0; i < sectionTable.count; ++i) {
        const JpegSection& entry = sectionTable.entries[i];
        table.emplace_back(entry.markerCode, std::vector<std::uint8_t>(entry.bytes, entry.bytes + entry.byteCount));
    }
    return table;
}

// The first read: from a stream, then again from memory, which must give the same table.
int readBothWays(const std::vector<std::uint8_t>& file, int mode) {
    int fromStream = readFromStream(file, mode);
    Table streamTable = tableNow();
    releaseSections();
    resetPhotoInfo("fuzz.jpg");
    int fromMemory = readSectionsFromMemory(file.data(), file.size(), mode);
    if (file.empty()) return fromMemory;
    if (fromMemory != fromStream || tableNow() != streamTable) abort();
    return fromMemory;
}

void writeBothWays() {
    char* streamed = nullptr;
    size_t streamedSize = 0;
    FILE* sink = open_memstream(&streamed, &streamedSize);
    if (!sink) return;
    int toStream = writeSectionsToStream(sink);
    std::fclose(sink);
    std::vector<std::uint8_t> inMemory;
    int toMemory = writeSectionsToMemory(&inMemory);
    bool same = toStream == toMemory && (!toStream || std::vector<std::uint8_t>(streamed, streamed + streamedSize) == inMemory);
    std::free(streamed);
    if (!same) abort();
}

void writeFile(const std::string& path, const std::uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) abort();
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The container's diagnostic lines would drown the fuzzer's own output.
    if (!std::freopen("/dev/null", "w", stdout)) abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size < 1) return 0;
    int firstMode = data[0] & 3;
    int secondMode = (data[0] >> 2) & 3;
    bool keepEveryApplicationSegment = data[0] & 16;
    std::vector<std::uint8_t> file(data + 1, data + size);

    const std::string exported = scratchFolder() + "/thumb.thi";
    const std::string replacement = scratchFolder() + "/thumb.tho";
    writeFile(replacement, file.data() + file.size() / 2, file.size() - file.size() / 2);

    clearSectionTable();
    resetPhotoInfo("fuzz.jpg");
    clearReportedErrors();
    if (readBothWays(file, firstMode)) {
        keepEveryApplicationSegment ? keepApplicationSegments() : keepExifAndComment();
        exportThumbnail(exported.c_str());
        importThumbnail(replacement.c_str());
        importThumbnail(exported.c_str());
        if (readSectionsFromMemory(file.data(), file.size(), secondMode)) writeBothWays();
    }
    releaseSections();
    unlink(exported.c_str());
    return 0;
}

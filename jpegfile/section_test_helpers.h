#pragma once
// Shared pieces of the section container's tests: hand-made segment files, reads from memory,
// and a fixture that leaves the module-level table and photoInfo empty around every test.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "exif/photo_info.h"
#include "exif/report_error.h"
#include "jpegfile/section_table.h"
#include "tests/support/jpeg_maker.h"

namespace sectiontest {

using testsupport::Bytes;

// FF, the code, the two length bytes, the payload.
inline Bytes segment(int code, const Bytes& payload) {
    size_t length = payload.size() + 2;
    Bytes out{0xFF, static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(length >> 8),
              static_cast<std::uint8_t>(length)};
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

inline Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }
// A literal with its embedded zero bytes, without the terminating one.
template <size_t N>
Bytes raw(const char (&literal)[N]) {
    return Bytes(literal, literal + N - 1);
}

inline Bytes sosSegment() { return segment(0xDA, {1, 1, 0, 0, 63, 0}); }

// The image data a hand-made file carries behind its SOS segment.
inline Bytes scanBytes() { return {0x12, 0x34, 0xFF, 0x00, 0x56, 0xFF, 0xD9}; }

// SOI, the given pieces in order, then SOS and `tail`.
inline Bytes handMadeFile(const std::vector<Bytes>& pieces, const Bytes& tail = scanBytes()) {
    Bytes out{0xFF, 0xD8};
    for (const Bytes& piece : pieces) out.insert(out.end(), piece.begin(), piece.end());
    Bytes sos = sosSegment();
    out.insert(out.end(), sos.begin(), sos.end());
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

// readSectionsFromStream over a memory stream.
inline int readFromMemory(const Bytes& file, int mode) {
    Bytes copy = file.empty() ? Bytes{0} : file;
    FILE* stream = fmemopen(copy.data(), file.size(), "rb");
    if (!stream) throw std::runtime_error("fmemopen failed");
    int result = readSectionsFromStream(stream, mode);
    std::fclose(stream);
    return result;
}

inline std::vector<int> markerCodes() {
    std::vector<int> codes;
    for (int i = 0; i < sectionTable.count; ++i) codes.push_back(sectionTable.entries[i].markerCode);
    return codes;
}

// An entry's payload, the length bytes left out.
inline Bytes payloadOf(const JpegSection& entry) { return Bytes(entry.bytes + 2, entry.bytes + entry.byteCount); }
inline Bytes bytesOf(const JpegSection& entry) { return Bytes(entry.bytes, entry.bytes + entry.byteCount); }

// The table as writeSectionsToStream writes it.
inline Bytes writtenTable() {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&buffer, &size);
    int result = writeSectionsToStream(stream);
    std::fclose(stream);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    if (!result) throw std::runtime_error("writeSectionsToStream failed");
    return out;
}

inline bool reported(const std::string& message) {
    for (const std::string& m : reportedErrors())
        if (m == message) return true;
    return false;
}

class SectionTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        clearSectionTable();
        clearPhotoInfo();
        clearReportedErrors();
    }
    void TearDown() override { releaseSections(); }
};

}  // namespace sectiontest

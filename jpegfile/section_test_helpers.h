#pragma once
// The section container's tests' hand-made files, stream reads and table-emptying fixture.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "exif/photo_info.h"
#include "exif/report_error.h"
#include "jpegfile/section_table.h"
#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"

namespace sectiontest {

using namespace testsupport;
using Texts = std::vector<std::string>;

// A literal's bytes, embedded zero bytes included, without the terminating one.
template <size_t N>
Bytes text(const char (&literal)[N]) { return Bytes(literal, literal + N - 1); }
inline Bytes join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// FF, the code, the two length bytes, the payload.
inline Bytes segment(int code, const Bytes& payload) {
    size_t length = payload.size() + 2;
    return join({0xFF, std::uint8_t(code), std::uint8_t(length >> 8), std::uint8_t(length)}, payload);
}

// SOI, the given pieces in order, then SOS and `tail` (the image data).
inline Bytes handMadeFile(const std::vector<Bytes>& pieces, const Bytes& tail = {0x12, 0xFF, 0x00, 0xFF, 0xD9}) {
    Bytes out{0xFF, 0xD8};
    for (const Bytes& piece : pieces) out = join(out, piece);
    return join(join(out, segment(0xDA, {1, 1, 0, 0, 63, 0})), tail);
}

// readSectionsFromStream over `file` in memory. With `missing` > 0 the stream claims that many more
// bytes at its end than it delivers (a file cut short while read); with `missing` < 0 it cannot seek.
inline int readFromMemory(const Bytes& file, int mode, off64_t missing = 0) {
    struct Source { const Bytes& bytes; off64_t at, missing; } source{file, 0, missing};
    cookie_io_functions_t io{};
    io.read = [](void* self, char* to, size_t size) -> ssize_t {
        auto& s = *static_cast<Source*>(self);
        size_t from = std::min(s.bytes.size(), size_t(s.at));
        size = std::min(size, s.bytes.size() - from);
        std::copy_n(s.bytes.data() + from, size, to);
        s.at += off64_t(size);
        return ssize_t(size);
    };
    if (missing >= 0) io.seek = [](void* self, off64_t* to, int whence) {
        auto& s = *static_cast<Source*>(self);
        *to = s.at = *to + (whence == SEEK_SET ? 0 : whence == SEEK_CUR ? s.at : off64_t(s.bytes.size()) + s.missing);
        return 0;
    };
    FILE* stream = fopencookie(&source, "rb", io);
    int result = readSectionsFromStream(stream, mode);
    std::fclose(stream);
    return result;
}

inline Bytes bytesOf(const JpegSection& entry) { return Bytes(entry.bytes, entry.bytes + entry.byteCount); }

inline std::vector<int> tableCodes() {
    std::vector<int> codes;
    for (int i = 0; i < sectionTable.count; ++i) codes.push_back(sectionTable.entries[i].markerCode);
    return codes;
}

class SectionTableTest : public ::testing::Test {
protected:
    TempDir folder;
    std::string path = folder.file("photo.jpg");
    void SetUp() override {
        clearSectionTable();
        clearPhotoInfo();
        clearReportedErrors();
    }
    void TearDown() override { releaseSections(); }
};

}  // namespace sectiontest

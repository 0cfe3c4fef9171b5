#pragma once
// Shared by the Exif reader's tests: each case written once and run in both byte orders.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "exif/exif_block.h"
#include "exif/photo_info.h"
#include "tests/support/exif_builder.h"

namespace exiftest {

using namespace testsupport;

// What the last read of a test gave.
inline PhotoInfo photoInfo;
inline BlockLayout lastLayout;
inline ReaderNotes lastNotes;

// Reads an exactly sized copy (the sanitizers see any overread) into a fresh record; returns it as left.
inline Bytes readSegment(const Bytes& segment, std::string* listing = nullptr) {
    resetPhotoInfo(photoInfo, "photo.jpg");
    lastNotes = ReaderNotes{};
    Bytes exact(segment.begin(), segment.end());
    lastLayout = processExifBlock(exact.data(), static_cast<unsigned>(exact.size()), photoInfo, lastNotes, listing);
    return exact;
}

inline Bytes readBlock(const ExifBlock& block) { return readSegment(block.segment()); }

// The messages of the last read, one a line.
inline std::string messages() {
    std::string text;
    for (const std::string& message : lastNotes.messages()) text += message + "\n";
    return text;
}
#define EXPECT_REPORTED(message) EXPECT_NE(messages().find(message), std::string::npos) << messages()

inline ExifSpec ifd0(ExifEntries entries) { ExifSpec s; s.ifd0 = std::move(entries); return s; }

// A record field as printed, e.g. FIELD(isoEquivalent).
struct Field { const char* name; std::string (*text)(); };
#define FIELD(member) exiftest::Field{#member, [] { std::ostringstream o; o << photoInfo.member; return o.str(); }}

// A block, the record field it decides, and every message its read gives.
struct FieldCase {
    ExifSpec recipe;
    Field field;
    std::string expected;
    std::string messages = "";
    long cut = 0;  // bytes dropped from the segment's end (the reader goes by the length it is given)
};

class BothOrders : public ::testing::TestWithParam<ByteOrder> {
protected:
    ExifSpec inOrder(ExifSpec s) const { s.order = GetParam(); return s; }
    ExifSpec recipe(ExifEntries entries = {}) const { return inOrder(ifd0(std::move(entries))); }

    // Also: reading leaves every byte of the block as it was.
    void expectFields(const std::vector<FieldCase>& cases) const {
        for (std::size_t i = 0; i < cases.size(); ++i) {
            Bytes segment = buildExif(inOrder(cases[i].recipe)).segment();
            segment.resize(segment.size() - cases[i].cut);
            SCOPED_TRACE("case " + std::to_string(i) + ", " + cases[i].field.name);
            EXPECT_EQ(readSegment(segment), segment);
            EXPECT_EQ(cases[i].field.text(), cases[i].expected);
            EXPECT_EQ(messages(), cases[i].messages);
            EXPECT_TRUE(!photoInfo.gpsLat[sizeof photoInfo.gpsLat - 1] && !photoInfo.gpsLong[sizeof photoInfo.gpsLong - 1]);
        }
    }
};

}  // namespace exiftest

// A fixture of its own per file, run in both byte orders.
#define EXIF_BOTH_ORDERS(Suite)                       \
    class Suite : public exiftest::BothOrders {};     \
    INSTANTIATE_TEST_SUITE_P(Order, Suite, ::testing::Values(ByteOrder::Intel, ByteOrder::Motorola))

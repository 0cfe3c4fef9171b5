#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "jpegfile/section_test_helpers.h"

namespace sectiontest {
namespace {

using Markers = std::vector<std::pair<int, Bytes>>;

// The JFIF APP0 payload written when no APP0 or APP1 leads: version 1.01, 300 x 300 dpi, no thumbnail.
const Bytes kJfif = text("JFIF\0\x01\x01\x01\x01\x2C\x01\x2C\0\0");

TEST_F(SectionTableTest, WritesSoiJfifHeaderSegmentsAndAllImageDataKeepingThePermissions) {
    writeFile(path, text("old"));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    Bytes file = handMadeFile({segment(0xE0, text("JFIF")), segment(0xDB, {1, 2, 3})}, text("\xFF\xD9 after EOI"));
    ASSERT_EQ(readFromMemory(file, ReadImageData), 1);
    ASSERT_EQ(writeSectionsToFile(path.c_str()), 1);
    EXPECT_EQ(readFile(path), join(join({0xFF, 0xD8}, segment(0xE0, kJfif)), Bytes(file.begin() + 10, file.end())));
    struct stat info{};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// Nothing takes the photo's place unless the whole new file does: a table without image data, or
// a write failing half-way under a file-size limit, leaves the photo as it was and no stray file.
TEST_F(SectionTableTest, FailedWriteBackLeavesThePhotoAsItWas) {
    const Bytes original = handMadeFile({segment(0xFE, text("old"))});
    writeFile(path, original);
    for (int mode : {ReadMetadata, ReadMetadata | ReadImageData}) {
        releaseSections();
        ASSERT_EQ(readFromMemory(handMadeFile({segment(0xFE, text("c"))}), mode), 1);
        keepExifAndComment();  // drops the image data of the second read
        EXPECT_EQ(writeSectionsToFile(path.c_str()), 0);
        EXPECT_EQ(readFile(path), original);
    }
    EXPECT_EQ(reportedErrors(), Texts(2, "Can't write back - didn't read all"));

    clearReportedErrors();
    releaseSections();
    ASSERT_EQ(readFromMemory(handMadeFile({}, Bytes(200000, 0x55)), ReadImageData), 1);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small{100000, saved.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);  // a failed write instead of a killed process
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    int result = writeSectionsToFile(path.c_str());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(reportedErrors(), Texts{"Could not write file"});
    EXPECT_EQ(readFile(path), original);
    EXPECT_EQ(listFolder(folder.path()), Texts{"photo.jpg"});
}

Bytes photo(const Markers& markers) {
    JpegSpec recipe;
    for (const auto& [code, data] : markers) recipe.markers.push_back({code, data});
    return makeJpeg(recipe);
}

Markers appAndComment(const Bytes& jpeg) {
    Markers found;
    for (const ExtraMarker& marker : listMarkers(jpeg))
        if (marker.code >= 0xE0) found.emplace_back(marker.code, marker.data);
    return found;
}

// The rotation workflow's sequence: the photograph read for its metadata and kept, its transformed
// copy read for its image data behind the kept entries, the table written back.
TEST_F(SectionTableTest, KeptEntriesReplaceOnlyTheCopysExifAndFirstComment) {
    const Bytes keptExif = text("Exif\0\0MM\0\x2a kept"), copyExif = text("Exif\0\0II\x2a\0 copy");
    const Bytes xmp = text("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>"), icc = text("ICC_PROFILE\0\x01\x01 profile");
    const Markers copied = {{0xE1, copyExif}, {0xE1, xmp}, {0xFE, text("1")}, {0xFE, text("2")}};
    struct Case { const char* name; Bytes photograph; Markers copy, expected; };  // expected: the result's
    const Case cases[] = {
        {"Exif, XMP, ICC and two comments",
         photo({{0xE1, keptExif}, {0xE1, xmp}, {0xE2, icc}, {0xFE, text("first")}, {0xFE, text("second")}}),
         {{0xE1, copyExif}, {0xE1, xmp}, {0xE2, icc}, {0xFE, text("first")}, {0xFE, text("second")}},
         {{0xE1, keptExif}, {0xFE, text("first")}, {0xE1, xmp}, {0xE2, icc}, {0xFE, text("second")}}},
        {"comment only", photo({{0xFE, text("kept")}}), copied,
         {{0xE0, kJfif}, {0xFE, text("kept")}, {0xE1, copyExif}, {0xE1, xmp}, {0xFE, text("2")}}},
        {"nothing kept from a photograph that is no JPEG", text("no JPEG"), copied, copied},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        releaseSections();
        writeFile(path, c.photograph);
        if (loadJpegFile(path.c_str(), ReadMetadata)) keepExifAndComment();
        Bytes transformed = photo(c.copy);
        writeFile(path, transformed);
        ASSERT_EQ(loadJpegFile(path.c_str(), ReadImageData), 1);
        ASSERT_EQ(writeSectionsToFile(path.c_str()), 1);
        Bytes result = readFile(path);
        EXPECT_EQ(result.at(3), c.expected[0].first);  // the first APPn or COM right behind SOI
        EXPECT_EQ(appAndComment(result), c.expected);
        EXPECT_TRUE(decodePlanes(result) == decodePlanes(transformed));
    }
}

}  // namespace
}  // namespace sectiontest

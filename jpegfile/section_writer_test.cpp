#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "jpegfile/section_test_helpers.h"

namespace sectiontest {
namespace {

using Markers = std::vector<std::pair<int, Bytes>>;

// A file read whole is written back byte for byte: no JFIF header is supplied where there was
// none, and the photo's own one keeps its density.
TEST_F(SectionTableTest, WritesSoiSegmentsAndAllImageDataAsReadKeepingThePermissions) {
    const Bytes jfif72dpi = text("JFIF\0\x01\x02\x01\0\x48\0\x48\0\0");
    for (const Bytes& file : {handMadeFile({segment(0xE0, jfif72dpi), segment(0xDB, {1, 2, 3})}, text("\xFF\xD9 after EOI")),
                              handMadeFile({segment(0xFE, text("c")), segment(0xEE, text("Adobe"))})}) {
        releaseSections();
        writeFile(path, text("old"));
        ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
        ASSERT_EQ(readSectionsFromMemory(file.data(), file.size(), ReadMetadata | ReadImageData), 1);
        ASSERT_EQ(writeSectionsToFile(path.c_str()), 1);
        EXPECT_EQ(readFile(path), file);
        Bytes inMemory{1, 2};
        ASSERT_EQ(writeSectionsToMemory(&inMemory), 1);
        EXPECT_EQ(inMemory, file);
        struct stat info{};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0640u);
    }
}

// Nothing takes the photo's place unless the whole new file does: a table without image data, or
// a write failing half-way under a file-size limit, leaves the photo as it was and no stray file.
TEST_F(SectionTableTest, FailedWriteBackLeavesThePhotoAsItWas) {
    const Bytes original = handMadeFile({segment(0xFE, text("old"))});
    writeFile(path, original);
    for (int mode : {ReadMetadata, ReadMetadata | ReadImageData}) {
        releaseSections();
        ASSERT_EQ(readFromMemory(handMadeFile({segment(0xFE, text("c"))}), mode), 1);
        keepApplicationSegments();  // drops the image data of the second read
        Bytes unchanged{1};
        EXPECT_EQ(writeSectionsToMemory(&unchanged), 0);
        EXPECT_EQ(unchanged, Bytes{1});
        EXPECT_EQ(writeSectionsToFile(path.c_str()), 0);
        EXPECT_EQ(readFile(path), original);
    }
    EXPECT_EQ(reportedErrors(), Texts(4, "Can't write back - didn't read all"));

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

Bytes photo(const Markers& markers, JpegSpec recipe = {}) {
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
    const Bytes plain = photo({{0xFE, text("kept")}});
    const Case cases[] = {
        {"Exif, XMP, ICC and two comments",
         photo({{0xE1, keptExif}, {0xE1, xmp}, {0xE2, icc}, {0xFE, text("first")}, {0xFE, text("second")}}),
         {{0xE1, copyExif}, {0xE1, xmp}, {0xE2, icc}, {0xFE, text("first")}, {0xFE, text("second")}},
         {{0xE1, keptExif}, {0xFE, text("first")}, {0xE1, xmp}, {0xE2, icc}, {0xFE, text("second")}}},
        {"JFIF and comment: the photo's own JFIF header stays first", plain, copied,
         {appAndComment(plain)[0], {0xFE, text("kept")}, {0xE1, copyExif}, {0xE1, xmp}, {0xFE, text("2")}}},
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

// The turning sequence: the photograph read for its metadata, its application segments kept, a
// transformed copy without markers of its own read behind them, the table written back. Every
// APPn and COM segment arrives byte for byte and in order; a JFIF header goes only for an Exif
// block, and none is added.
TEST_F(SectionTableTest, KeptApplicationSegmentsStandInFrontOfTheTransformedImage) {
    const Bytes exif = text("Exif\0\0MM\0\x2a kept"), xmp = text("http://ns.adobe.com/xap/1.0/\0<x/>");
    const Bytes jfif72dpi = text("JFIF\0\x01\x02\x01\0\x48\0\x48\0\0");
    const Markers everything = {{0xE1, exif}, {0xE1, xmp}, {0xE2, text("ICC_PROFILE\0\x01\x01")},
                                {0xE0, text("HEAPJPGM\0heap")}, {0xE0, text("JFXX\0\x13\x01\x01rgb")},
                                {0xEC, text("Ducky\0")}, {0xED, text("Photoshop 3.0\0")}, {0xFE, text("one")},
                                {0xFE, text("two")}, {0xEF, text("last")}};
    JpegSpec noJfif, cmyk;
    noJfif.writeJfif = false;
    cmyk.color = ColorKind::Cmyk;
    struct Case { const char* name; Bytes photograph; Markers expected; };
    const Case cases[] = {
        {"Exif: libjpeg's JFIF header goes, all else stays", photo(everything), everything},
        {"no Exif: the 72 dpi JFIF header stays", photo({{0xE0, jfif72dpi}, {0xFE, text("c")}}, noJfif),
         {{0xE0, jfif72dpi}, {0xFE, text("c")}}},
        {"CMYK: the Adobe segment stays, no JFIF comes", photo({{0xFE, text("c")}}, cmyk),
         {{0xEE, appAndComment(photo({}, cmyk)).at(0).second}, {0xFE, text("c")}}},
    };
    const Bytes transformed = photo({}, noJfif);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        releaseSections();
        ASSERT_EQ(readSectionsFromMemory(c.photograph.data(), c.photograph.size(), ReadMetadata), 1);
        keepApplicationSegments();
        EXPECT_EQ(sectionTable.count, int(c.expected.size()));
        ASSERT_EQ(readSectionsFromMemory(transformed.data(), transformed.size(), ReadImageData), 1);
        Bytes result;
        ASSERT_EQ(writeSectionsToMemory(&result), 1);
        Bytes expected{0xFF, 0xD8};
        for (const auto& [code, data] : c.expected) expected = join(expected, segment(code, data));
        EXPECT_EQ(result, join(expected, Bytes(transformed.begin() + 2, transformed.end())));
    }
}

}  // namespace
}  // namespace sectiontest

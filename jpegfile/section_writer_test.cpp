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

Bytes soiAnd(const Markers& markers) {
    Bytes out{0xFF, 0xD8};
    for (const auto& [code, data] : markers) out = join(out, segment(code, data));
    return out;
}

// The turning sequence: the photograph read for its metadata and its segments kept, the
// transformed copy read for its image data behind them, the table written back. The kept
// segments arrive byte for byte and in order; of the copy's own, its JFIF header and, where kept
// ones stand for them, its Exif block and first comment give way. A JFIF header goes only for an
// Exif block, and none is added.
TEST_F(SectionTableTest, KeptSegmentsStandInFrontOfTheTransformedImage) {
    const Bytes exif = text("Exif\0\0MM\0\x2a kept"), copyExif = text("Exif\0\0II\x2a\0 copy");
    const Bytes xmp = text("http://ns.adobe.com/xap/1.0/\0<x/>"), icc = text("ICC_PROFILE\0\x01\x01");
    const Bytes jfif72dpi = text("JFIF\0\x01\x02\x01\0\x48\0\x48\0\0");
    const Markers everything = {{0xE1, exif}, {0xE1, xmp}, {0xE2, icc}, {0xE0, text("HEAPJPGM\0heap")},
                                {0xE0, text("JFXX\0\x13\x01\x01rgb")}, {0xEC, text("Ducky\0")},
                                {0xED, text("Photoshop 3.0\0")}, {0xFE, text("one")}, {0xFE, text("two")}, {0xEF, text("last")}};
    const Markers copied = {{0xE0, jfif72dpi}, {0xE1, copyExif}, {0xE1, xmp}, {0xE2, icc}, {0xFE, text("1")}, {0xFE, text("2")}};
    JpegSpec noJfif, cmyk;
    noJfif.writeJfif = false;
    cmyk.color = ColorKind::Cmyk;
    const Bytes plain = photo({{0xFE, text("kept")}});
    struct Case { const char* name; void (*keep)(); Bytes photograph; Markers copy, expected; };
    const Case cases[] = {
        {"Exif and first comment, in this order", keepExifAndComment,
         photo({{0xFE, text("one")}, {0xE1, exif}, {0xE1, xmp}, {0xFE, text("two")}}), copied,
         {{0xE1, exif}, {0xFE, text("one")}, {0xE1, xmp}, {0xE2, icc}, {0xFE, text("2")}}},
        {"JFIF and comment: the photo's own JFIF header stays first", keepExifAndComment, plain, copied,
         {appAndComment(plain)[0], {0xFE, text("kept")}, {0xE1, copyExif}, {0xE1, xmp}, {0xE2, icc}, {0xFE, text("2")}}},
        {"nothing kept from a photograph without image", keepExifAndComment,
         join(soiAnd({{0xFE, text("read before the end")}}), {0xFF, 0xD9}), copied,
         Markers(copied.begin() + 1, copied.end())},
        {"all: libjpeg's JFIF header goes for the Exif block", keepApplicationSegments, photo(everything), {}, everything},
        {"all, no Exif: the 72 dpi JFIF header stays", keepApplicationSegments,
         photo({{0xE0, jfif72dpi}, {0xFE, text("c")}}, noJfif), {}, {{0xE0, jfif72dpi}, {0xFE, text("c")}}},
        {"all, CMYK: the Adobe segment stays, no JFIF comes", keepApplicationSegments, photo({{0xFE, text("c")}}, cmyk), {},
         {{0xEE, appAndComment(photo({}, cmyk)).at(0).second}, {0xFE, text("c")}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        releaseSections();
        writeFile(path, c.photograph);
        if (loadJpegFile(path.c_str(), ReadMetadata)) c.keep();
        const Bytes transformed = photo(c.copy, noJfif);
        ASSERT_EQ(readSectionsFromMemory(transformed.data(), transformed.size(), ReadImageData), 1);
        Bytes result;
        ASSERT_EQ(writeSectionsToMemory(&result), 1);
        EXPECT_EQ(result, join(soiAnd(c.expected), Bytes(transformed.begin() + long(soiAnd(c.copy).size()), transformed.end())));
    }
}

}  // namespace
}  // namespace sectiontest

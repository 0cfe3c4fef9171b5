#include "workflow/transcode_jpeg.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/file_attributes.h"
#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/transform_driver.h"

namespace {

using testsupport::Bytes;
using testsupport::fileExists;
using testsupport::JpegSpec;
using testsupport::listFolder;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;
using Names = std::vector<std::string>;

Bytes photo(int width = 48, int height = 32, std::uint32_t seed = 1) {
    JpegSpec spec;
    spec.width = width;
    spec.height = height;
    spec.seed = seed;
    spec.markers = {{0xE1, Bytes{'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0}}, {0xFE, Bytes{'h', 'i'}}};
    return testsupport::makeJpeg(spec);
}

// Coefficients and picture parameters equal: the same image, whatever the Huffman coding.
void expectSameImage(const Bytes& actual, const Bytes& expected) {
    testsupport::JpegCoefficients a = testsupport::readCoefficients(actual);
    testsupport::JpegCoefficients e = testsupport::readCoefficients(expected);
    ASSERT_EQ(a.width, e.width);
    ASSERT_EQ(a.height, e.height);
    ASSERT_EQ(a.components.size(), e.components.size());
    for (size_t c = 0; c < a.components.size(); ++c) {
        EXPECT_EQ(a.components[c].hSamp, e.components[c].hSamp);
        EXPECT_EQ(a.components[c].vSamp, e.components[c].vSamp);
        EXPECT_TRUE(a.components[c].blocks == e.components[c].blocks) << "component " << c;
    }
    EXPECT_TRUE(a.quantTables == e.quantTables);
}

struct stat statOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// ---- transform names ------------------------------------------------------------------------

TEST(TranscodeNames, OnlyTheThreeTurnsAreRecognisedInAnyCase) {
    EXPECT_EQ(transformKindFromName("rotate 90"), TransformKind::Rotate90);
    EXPECT_EQ(transformKindFromName("Rotate 180"), TransformKind::Rotate180);
    EXPECT_EQ(transformKindFromName("ROTATE 270"), TransformKind::Rotate270);
    EXPECT_EQ(transformKindFromName("flip horizontal"), TransformKind::None);
    EXPECT_EQ(transformKindFromName("transpose"), TransformKind::None);
    EXPECT_EQ(transformKindFromName("rotate 270 "), TransformKind::None);
    EXPECT_EQ(transformKindFromName("rotate270"), TransformKind::None);
    EXPECT_EQ(transformKindFromName(""), TransformKind::None);
    EXPECT_EQ(transformKindFromName(nullptr), TransformKind::None);
}

TEST(TranscodeFiles, CapitalRotate270TurnsAQuarterCounterClockwise) {
    TempDir dir;
    JpegSpec spec;
    spec.width = 48;
    spec.height = 32;
    spec.color = testsupport::ColorKind::Gray;
    Bytes source = testsupport::makeJpeg(spec);
    writeFile(dir.file("in.jpg"), source);
    ASSERT_EQ(transcodeJpeg(dir.file("in.jpg").c_str(), dir.file("out.jpg").c_str(), "ROTATE 270", 1), 1);
    Bytes out = readFile(dir.file("out.jpg"));
    expectSameImage(out, testsupport::transformInMemory(source, TransformKind::Rotate270));

    // Independently of the engine: the top row of the input is the left column of the output, read upwards.
    testsupport::Pixels in = testsupport::decodePixels(source);
    testsupport::Pixels turned = testsupport::decodePixels(out);
    ASSERT_EQ(turned.width, in.height);
    ASSERT_EQ(turned.height, in.width);
    int worst = 0;
    for (int v = 0; v < turned.height; ++v)
        for (int u = 0; u < turned.width; ++u)
            worst = std::max(worst, std::abs(turned.at(u, v, 0) - in.at(in.width - 1 - v, u, 0)));
    EXPECT_LE(worst, 1);
}

TEST(TranscodeFiles, RotationsOfPartialIMcuImagesMatchTheEngine) {
    JpegSpec spec;
    spec.width = 37;  // neither a whole number of 16 x 16 MCUs wide nor high
    spec.height = 21;
    Bytes source = testsupport::makeJpeg(spec);
    for (const char* name : {"rotate 90", "rotate 180", "rotate 270"}) {
        TempDir dir;
        writeFile(dir.file("in.jpg"), source);
        ASSERT_EQ(transcodeJpeg(dir.file("in.jpg").c_str(), dir.file("out.jpg").c_str(), name, 1), 1) << name;
        expectSameImage(readFile(dir.file("out.jpg")), testsupport::transformInMemory(source, transformKindFromName(name)));
    }
}

TEST(TranscodeFiles, MirrorNamesCopyThePictureUnchangedWithItsMarkers) {
    TempDir dir;
    Bytes source = photo();
    writeFile(dir.file("in.jpg"), source);
    ASSERT_EQ(transcodeJpeg(dir.file("in.jpg").c_str(), dir.file("out.jpg").c_str(), "flip horizontal", 1), 1);
    Bytes out = readFile(dir.file("out.jpg"));
    expectSameImage(out, source);
    auto appMarkers = [](const Bytes& jpeg) {
        std::vector<testsupport::ExtraMarker> kept;
        for (auto& m : testsupport::listMarkers(jpeg))
            if (m.code >= 0xE0) kept.push_back(m);
        return kept;
    };
    auto expected = appMarkers(source);
    auto actual = appMarkers(out);
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].code, expected[i].code);
        EXPECT_EQ(actual[i].data, expected[i].data);
    }
}

TEST(TranscodeFiles, TrimAndGrayReachTheEngine) {
    JpegSpec spec;
    spec.width = 37;
    spec.height = 21;
    Bytes source = testsupport::makeJpeg(spec);
    TempDir dir;
    writeFile(dir.file("in.jpg"), source);
    TranscodeRequest request;
    request.input = dir.file("in.jpg");
    request.output = dir.file("out.jpg");
    request.kind = TransformKind::Transverse;
    request.trim = true;
    request.gray = true;
    ASSERT_EQ(transcodeJpegWith(request), 1);
    expectSameImage(readFile(request.output), testsupport::transformInMemory(source, TransformKind::Transverse, true, true));
}

// ---- distinct paths -------------------------------------------------------------------------

TEST(TranscodeFiles, DistinctInputIsKeptOrRemovedAfterSuccess) {
    TempDir dir;
    Bytes source = photo();
    writeFile(dir.file("in.jpg"), source);
    ASSERT_EQ(transcodeJpeg(dir.file("in.jpg").c_str(), dir.file("out.jpg").c_str(), "rotate 270", 1), 1);
    EXPECT_EQ(readFile(dir.file("in.jpg")), source);
    EXPECT_EQ(listFolder(dir.path()), (Names{"in.jpg", "out.jpg"}));

    ASSERT_EQ(transcodeJpeg(dir.file("in.jpg").c_str(), dir.file("out2.jpg").c_str(), "rotate 270", 0), 1);
    EXPECT_EQ(listFolder(dir.path()), (Names{"out.jpg", "out2.jpg"}));
    EXPECT_EQ(readFile(dir.file("out2.jpg")), readFile(dir.file("out.jpg")));
}

TEST(TranscodeFiles, LetterCaseMakesDifferentFiles) {
    TempDir dir;
    Bytes source = photo();
    writeFile(dir.file("a.JPG"), source);
    ASSERT_EQ(transcodeJpeg(dir.file("a.JPG").c_str(), dir.file("a.jpg").c_str(), "rotate 270", 1), 1);
    EXPECT_EQ(listFolder(dir.path()), (Names{"a.JPG", "a.jpg"}));
    EXPECT_EQ(readFile(dir.file("a.JPG")), source);
    EXPECT_EQ(testsupport::readCoefficients(readFile(dir.file("a.jpg"))).width, 32);
}

TEST(TranscodeFiles, ExistingOutputIsReplacedKeepingItsPermissionBits) {
    TempDir dir;
    writeFile(dir.file("in.jpg"), photo());
    writeFile(dir.file("out.jpg"), Bytes{1, 2, 3});
    ASSERT_EQ(::chmod(dir.file("out.jpg").c_str(), 0604), 0);
    ASSERT_EQ(transcodeJpeg(dir.file("in.jpg").c_str(), dir.file("out.jpg").c_str(), "rotate 90", 1), 1);
    EXPECT_EQ(statOf(dir.file("out.jpg")).st_mode & 07777, 0604u);
    EXPECT_EQ(testsupport::readCoefficients(readFile(dir.file("out.jpg"))).height, 48);
}

TEST(TranscodeFiles, NewOutputTakesThePrivacyOfTheInput) {
    TempDir dir;
    writeFile(dir.file("in.jpg"), photo());
    ASSERT_EQ(::chmod(dir.file("in.jpg").c_str(), 0600), 0);
    ASSERT_EQ(transcodeJpeg(dir.file("in.jpg").c_str(), dir.file("out.jpg").c_str(), "rotate 90", 1), 1);
    EXPECT_EQ(statOf(dir.file("out.jpg")).st_mode & 0777, 0600u);
}

// ---- in place -------------------------------------------------------------------------------

class TranscodeInPlace : public ::testing::Test {
protected:
    void SetUp() override {
        original = photo();
        writeFile(path(), original);
        ASSERT_TRUE(platform::setFileTimes(path(), oldTimes));
        rotated = rotationOf(original);
    }
    std::string path() const { return dir.file("photo.jpg"); }
    std::string backup() const { return dir.file("photo.jpg.bak"); }
    static Bytes rotationOf(const Bytes& jpeg) {
        TempDir elsewhere;
        writeFile(elsewhere.file("a.jpg"), jpeg);
        EXPECT_EQ(transcodeJpeg(elsewhere.file("a.jpg").c_str(), elsewhere.file("b.jpg").c_str(), "rotate 270", 1), 1);
        return readFile(elsewhere.file("b.jpg"));
    }
    int transcodeInPlace(int keepInput) { return transcodeJpeg(path().c_str(), path().c_str(), "rotate 270", keepInput); }

    TempDir dir;
    Bytes original;
    Bytes rotated;
    platform::FileTimes oldTimes{{1000000000, 123456789}, {1100000000, 987654321}};
};

TEST_F(TranscodeInPlace, KeepInputLeavesTheUntouchedFileAsBak) {
    ASSERT_EQ(transcodeInPlace(1), 1);
    struct stat st = statOf(backup());  // before the reads below move the access time
    EXPECT_EQ(readFile(path()), rotated);
    EXPECT_EQ(readFile(backup()), original);
    EXPECT_TRUE(sameTime(st.st_mtim, oldTimes.modification));
    EXPECT_TRUE(sameTime(st.st_atim, oldTimes.access));
    EXPECT_EQ(listFolder(dir.path()), (Names{"photo.jpg", "photo.jpg.bak"}));
}

TEST_F(TranscodeInPlace, WithoutKeepInputNoBakRemains) {
    ASSERT_EQ(transcodeInPlace(0), 1);
    EXPECT_EQ(readFile(path()), rotated);
    EXPECT_EQ(listFolder(dir.path()), (Names{"photo.jpg"}));
}

TEST_F(TranscodeInPlace, OlderBakIsReplacedAndNeverReadAsInput) {
    Bytes older = photo(16, 64, 7);
    writeFile(backup(), older);
    ASSERT_EQ(transcodeInPlace(1), 1);
    EXPECT_EQ(readFile(path()), rotated);
    EXPECT_EQ(readFile(backup()), original);
}

TEST_F(TranscodeInPlace, OlderBakIsLeftAloneWithoutKeepInput) {
    Bytes older = photo(16, 64, 7);
    writeFile(backup(), older);
    ASSERT_EQ(transcodeInPlace(0), 1);
    EXPECT_EQ(readFile(path()), rotated);
    EXPECT_EQ(readFile(backup()), older);
}

TEST_F(TranscodeInPlace, BakThatIsAlreadyALinkToThePhotoStaysTheUntouchedFile) {
    ASSERT_EQ(::link(path().c_str(), backup().c_str()), 0);
    ASSERT_EQ(transcodeInPlace(1), 1);
    EXPECT_EQ(readFile(path()), rotated);
    EXPECT_EQ(readFile(backup()), original);
    EXPECT_EQ(listFolder(dir.path()), (Names{"photo.jpg", "photo.jpg.bak"}));
}

TEST_F(TranscodeInPlace, PermissionBitsAreKept) {
    for (mode_t mode : {0600, 0640, 0604}) {
        ASSERT_EQ(::chmod(path().c_str(), mode), 0);
        ASSERT_EQ(transcodeInPlace(0), 1);
        EXPECT_EQ(statOf(path()).st_mode & 07777, mode);
    }
}

TEST_F(TranscodeInPlace, RelativeAndAbsoluteSpellingsAreTheSameFile) {
    char* previous = ::getcwd(nullptr, 0);
    ASSERT_NE(previous, nullptr);
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    int result = transcodeJpeg("photo.jpg", path().c_str(), "rotate 270", 0);
    ASSERT_EQ(::chdir(previous), 0);
    std::free(previous);
    ASSERT_EQ(result, 1);
    EXPECT_EQ(listFolder(dir.path()), (Names{"photo.jpg"}));  // the result was not removed as a distinct input
    EXPECT_EQ(readFile(path()), rotated);
}

TEST_F(TranscodeInPlace, HardLinkSpellingIsTheSameFile) {
    ASSERT_EQ(::link(path().c_str(), dir.file("other.jpg").c_str()), 0);
    ASSERT_EQ(transcodeJpeg(dir.file("other.jpg").c_str(), path().c_str(), "rotate 270", 0), 1);
    EXPECT_EQ(readFile(path()), rotated);
    // The other name still holds the untouched file: it was not removed as a distinct input.
    EXPECT_EQ(readFile(dir.file("other.jpg")), original);
    EXPECT_EQ(listFolder(dir.path()), (Names{"other.jpg", "photo.jpg"}));
}

TEST_F(TranscodeInPlace, SymbolicLinkOutputRewritesTheFileItPointsTo) {
    ASSERT_EQ(::symlink("photo.jpg", dir.file("link.jpg").c_str()), 0);
    ASSERT_EQ(transcodeJpeg(dir.file("link.jpg").c_str(), dir.file("link.jpg").c_str(), "rotate 270", 0), 1);
    struct stat st {};
    ASSERT_EQ(::lstat(dir.file("link.jpg").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(readFile(path()), rotated);
    EXPECT_EQ(listFolder(dir.path()), (Names{"link.jpg", "photo.jpg"}));
}

}  // namespace

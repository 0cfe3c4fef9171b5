#include "workflow/rotate_jpeg_file.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "tests/support/camera_photo.h"
#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;

struct RecordingStatusLine : platform::StatusLine {
    Names texts;
    void show(const std::string& text) override { texts.push_back(text); }
};

const std::time_t kTaken = 1211034600 - 2 * 3600;  // 2008:05:17 14:30:00 read at UTC+2

class RotateJpegFile : public ::testing::Test {
protected:
    // The thumbnail's private folder goes to `scratch`; local time is two hours east of UTC.
    void SetUp() override {
        if (const char* old = std::getenv("TMPDIR")) oldTmpdir = old;
        ::setenv("TMPDIR", scratch.path().c_str(), 1);
        ::setenv("TZ", "PVT-2", 1);
        ::tzset();
    }
    void TearDown() override { oldTmpdir.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", oldTmpdir.c_str(), 1); }
    std::string place(const Bytes& jpeg) {
        writeFile(path, jpeg);
        EXPECT_TRUE(platform::setFileTimes(path, kOldTimes));
        return path;
    }
    int rotate(const Bytes& jpeg) { return rotateJpegFile(place(jpeg), options, status); }
    // Nothing but `names` beside the photograph, and nothing in the temporary folder.
    void expectOnly(const Names& names) {
        EXPECT_EQ(listFolder(folder.path()), names);
        EXPECT_TRUE(listFolder(scratch.path()).empty());
    }

    TempDir folder, scratch;
    std::string oldTmpdir, path = folder.file("photo.jpg");
    ProcessingOptions options;
    RecordingStatusLine status;
};

class RotateCameraPhoto : public RotateJpegFile, public ::testing::WithParamInterface<std::pair<ByteOrder, bool>> {};

TEST_P(RotateCameraPhoto, TurnsImageAndThumbnailAndKeepsEverythingElse) {
    CameraPhotoSpec recipe;
    recipe.order = GetParam().first;
    recipe.dateText = "2008:05:17 14:30:00";
    const CameraPhoto photo = makeCameraPhoto(recipe);
    options.Backup = GetParam().second;
    options.EXIFTimestamp = 1;
    writeFile(path + ".bak", {'o', 'l', 'd'});  // replaced with Backup, left alone without
    ASSERT_EQ(::chmod(place(photo.jpeg).c_str(), 0640), 0);
    ASSERT_EQ(rotateJpegFile(path, options, status), 1);
    EXPECT_EQ(status.texts, Names{"Processing file " + path});
    EXPECT_TRUE(hasTimes(path, {{kTaken, 0}, {kTaken, 0}}));
    EXPECT_TRUE(!options.Backup || hasTimes(path + ".bak", kOldTimes));
    EXPECT_EQ(readFile(path + ".bak"), (options.Backup ? photo.jpeg : Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(modeOf(path), 0640u);
    const Bytes result = readFile(path);
    expectSameImage(result, turned(photo.jpeg));

    // Exif first, the same apart from the turned thumbnail at its end and the thumbnail's length.
    const std::vector<ExtraMarker> markers = listMarkers(result);
    ASSERT_EQ(markers.at(0).code, 0xE1);
    ExifBlock after = photo.exif;
    after.payload = markers[0].data;
    const long thumbnailAt = 6 + photo.exif.thumbnailOffset, lengthAt = 6 + photo.exif.thumbnailLengthValue;
    ASSERT_GT(after.payload.size(), static_cast<size_t>(thumbnailAt));
    expectSameImage(Bytes(after.payload.begin() + thumbnailAt, after.payload.end()), turned(photo.thumbnail));
    EXPECT_EQ(after.get32(photo.exif.thumbnailLengthValue), after.payload.size() - thumbnailAt);
    Bytes expected(photo.exif.payload.begin(), photo.exif.payload.begin() + thumbnailAt);
    std::copy_n(after.payload.begin() + lengthAt, 4, expected.begin() + lengthAt);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), after.payload.begin()));
    EXPECT_EQ(after.get16(after.valueOf(after.ifd0, 0x0112)), 1) << "Orientation";
    int kept = 0;
    for (const ExtraMarker& m : markers)
        kept += (m.code == 0xE1 && m.data == photo.xmp) + (m.code == 0xE2 && m.data == photo.icc) +
                (m.code == 0xFE && m.data == photo.comment);
    EXPECT_EQ(kept, 3) << "XMP, ICC profile and comment";
    expectOnly({"photo.jpg", "photo.jpg.bak"});
}

INSTANTIATE_TEST_SUITE_P(ByteOrderAndBackup, RotateCameraPhoto,
                         ::testing::Values(std::pair{ByteOrder::Intel, false}, std::pair{ByteOrder::Motorola, true}));

TEST_F(RotateJpegFile, LessUsualPhotosAndTimes) {
    CameraPhotoSpec recipe;
    recipe.thumbnailAtEnd = false;
    const CameraPhoto photo = makeCameraPhoto(recipe);
    options.EXIFTimestamp = 0;
    ASSERT_EQ(rotate(photo.jpeg), 1);
    EXPECT_TRUE(hasTimes(path, kOldTimes));  // restored to the nanosecond
    expectSameImage(readFile(path), turned(photo.jpeg));
    EXPECT_EQ(listMarkers(readFile(path)).at(0).data, photo.exif.payload) << "a thumbnail not at the end stays";

    recipe.withExif = false;  // times restored; reached through a link, which stays one while its photo turns
    const Bytes plain = makeCameraPhoto(recipe).jpeg;
    options.EXIFTimestamp = 1;
    place(plain);
    ASSERT_EQ(::symlink("photo.jpg", folder.file("link.jpg").c_str()), 0);
    ASSERT_EQ(rotateJpegFile(folder.file("link.jpg"), options, status), 1);
    EXPECT_TRUE(hasTimes(path, kOldTimes));
    const Bytes result = readFile(path);
    EXPECT_EQ(Bytes(result.begin(), result.begin() + 11), (Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F', 0}));
    expectSameImage(result, turned(plain));

    recipe.withExif = true;
    recipe.dateText = "    :  :     :  :  ";
    const std::time_t start = std::time(nullptr);
    ASSERT_EQ(rotate(makeCameraPhoto(recipe).jpeg), 1);
    struct stat st {};
    EXPECT_TRUE(::stat(path.c_str(), &st) == 0 && st.st_mtim.tv_sec >= start - 1) << "blank date";
    expectOnly({"link.jpg", "photo.jpg"});
}

// Whatever fails, the result is 0, the photograph stays as it was and nothing is left.
TEST_F(RotateJpegFile, FaultsLeaveThePhotoByteForByteAndNothingElse) {
    const CameraPhoto photo = makeCameraPhoto({});
    const Bytes truncated(photo.jpeg.begin(), photo.jpeg.begin() + static_cast<long>(photo.jpeg.size() * 2 / 3));
    const Fault faults[] = {
        {"not a JPEG", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'h', 'o', 't', 'o'}},
        {"truncated", truncated},
        {"disk full while the thumbnail is written", photo.jpeg, "", photo.thumbnail.size() / 2},
        {"disk full while the photo is written", photo.jpeg, "", photo.jpeg.size() / 2},
        {"folder without write permission", photo.jpeg, "", RLIM_INFINITY, true},
    };
    ASSERT_EQ(::chmod(scratch.path().c_str(), 0777), 0);
    options.Backup = 1;
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.name);
        place(f.content);
        expectFailure(f, folder.path(), [&] { return rotateJpegFile(path, options, status); });
        EXPECT_TRUE(hasTimes(path, kOldTimes, false));  // a failed run may have read it
        EXPECT_EQ(readFile(path), f.content);
        expectOnly({"photo.jpg"});
    }
}

}  // namespace

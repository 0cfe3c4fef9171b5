#include "workflow/rotate_jpeg_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "platform/file_attributes.h"
#include "tests/support/camera_photo.h"
#include "tests/support/files.h"
#include "tests/support/transform_driver.h"

namespace {

using namespace testsupport;

struct RecordingStatusLine : platform::StatusLine {
    std::vector<std::string> texts;
    void show(const std::string& text) override { texts.push_back(text); }
};

const platform::FileTimes kOldTimes{{1000000000, 123456789}, {1100000000, 987654321}};

platform::FileTimes timesOfPath(const std::string& path) {
    struct stat st;
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return platform::timesOf(st);
}

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

void expectSameCoefficients(const Bytes& actual, const Bytes& expected) {
    JpegCoefficients a = readCoefficients(actual);
    JpegCoefficients e = readCoefficients(expected);
    ASSERT_EQ(a.width, e.width);
    ASSERT_EQ(a.height, e.height);
    ASSERT_EQ(a.components.size(), e.components.size());
    for (size_t c = 0; c < a.components.size(); ++c) EXPECT_TRUE(a.components[c].blocks == e.components[c].blocks) << "component " << c;
}

Bytes turned(const Bytes& jpeg) { return transformInMemory(jpeg, TransformKind::Rotate270); }

class RotateJpegFile : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TMPDIR");
        hadTmpdir_ = old != nullptr;
        if (old) oldTmpdir_ = old;
        setenv("TMPDIR", scratch_.path().c_str(), 1);  // the thumbnail's private folder goes there
    }
    void TearDown() override {
        if (hadTmpdir_) setenv("TMPDIR", oldTmpdir_.c_str(), 1);
        else unsetenv("TMPDIR");
    }

    std::string place(const Bytes& jpeg, const std::string& name = "photo.jpg") {
        std::string path = folder_.file(name);
        writeFile(path, jpeg);
        EXPECT_TRUE(platform::setFileTimes(path, kOldTimes));
        return path;
    }

    int rotate(const std::string& path) { return rotateJpegFile(path, options_, status_); }

    // Nothing but `names` beside the photograph, and nothing in the temporary folder.
    void expectOnly(const std::vector<std::string>& names) {
        EXPECT_EQ(listFolder(folder_.path()), names);
        EXPECT_TRUE(listFolder(scratch_.path()).empty());
    }

    TempDir folder_;
    TempDir scratch_;
    ProcessingOptions options_;
    RecordingStatusLine status_;

private:
    bool hadTmpdir_ = false;
    std::string oldTmpdir_;
};

// The Exif payload of a rewritten photograph, which must stand first.
Bytes leadingExif(const Bytes& jpeg) {
    std::vector<ExtraMarker> markers = listMarkers(jpeg);
    EXPECT_FALSE(markers.empty());
    if (markers.empty()) return {};
    EXPECT_EQ(markers[0].code, 0xE1);
    return markers[0].data;
}

class RotateCameraPhoto : public RotateJpegFile, public ::testing::WithParamInterface<ByteOrder> {};

TEST_P(RotateCameraPhoto, TurnsImageAndThumbnailAndKeepsEverythingElse) {
    CameraPhotoSpec spec;
    spec.order = GetParam();
    CameraPhoto photo = makeCameraPhoto(spec);
    std::string path = place(photo.jpeg);

    ASSERT_EQ(rotate(path), 1);
    Bytes result = readFile(path);
    expectSameCoefficients(result, turned(photo.jpeg));

    Bytes exif = leadingExif(result);
    const size_t thumbnailAt = 6 + photo.exif.thumbnailOffset;
    ASSERT_GT(exif.size(), thumbnailAt);
    Bytes thumbnail(exif.begin() + thumbnailAt, exif.end());
    expectSameCoefficients(thumbnail, turned(photo.thumbnail));

    ExifBlock after = photo.exif;
    after.payload = exif;
    EXPECT_EQ(after.get32(photo.exif.thumbnailLengthValue), thumbnail.size());
    Bytes before = photo.exif.payload;
    for (size_t i = 0; i < 4; ++i) before[6 + photo.exif.thumbnailLengthValue + i] = exif[6 + photo.exif.thumbnailLengthValue + i];
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + thumbnailAt, exif.begin())) << "Exif changed beyond the thumbnail";
    EXPECT_EQ(after.get16(after.valueOf(after.ifd0, 0x0112)), 1) << "Orientation";

    bool xmp = false, icc = false, comment = false;
    for (const ExtraMarker& m : listMarkers(result)) {
        xmp |= m.code == 0xE1 && m.data == photo.xmp;
        icc |= m.code == 0xE2 && m.data == photo.icc;
        comment |= m.code == 0xFE && m.data == photo.comment;
    }
    EXPECT_TRUE(xmp && icc && comment);
    EXPECT_EQ(status_.texts, (std::vector<std::string>{"Processing file " + path}));
    expectOnly({"photo.jpg"});
}

INSTANTIATE_TEST_SUITE_P(BothByteOrders, RotateCameraPhoto, ::testing::Values(ByteOrder::Intel, ByteOrder::Motorola));

TEST_F(RotateJpegFile, ThumbnailNotEndingTheBlockStaysAsItWas) {
    CameraPhotoSpec spec;
    spec.thumbnailAtEnd = false;
    CameraPhoto photo = makeCameraPhoto(spec);
    std::string path = place(photo.jpeg);
    ASSERT_EQ(rotate(path), 1);
    Bytes result = readFile(path);
    expectSameCoefficients(result, turned(photo.jpeg));
    EXPECT_EQ(leadingExif(result), photo.exif.payload);
    expectOnly({"photo.jpg"});
}

TEST_F(RotateJpegFile, PhotoWithoutExifGetsJfifHeaderAndItsTimesBack) {
    CameraPhotoSpec spec;
    spec.withExif = false;
    CameraPhoto photo = makeCameraPhoto(spec);
    std::string path = place(photo.jpeg);
    options_.EXIFTimestamp = 1;
    ASSERT_EQ(rotate(path), 1);
    platform::FileTimes times = timesOfPath(path);  // before a read moves the access time
    EXPECT_TRUE(sameTime(times.access, kOldTimes.access));
    EXPECT_TRUE(sameTime(times.modification, kOldTimes.modification));
    Bytes result = readFile(path);
    expectSameCoefficients(result, turned(photo.jpeg));
    const Bytes jfifStart = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0};
    EXPECT_TRUE(std::equal(jfifStart.begin(), jfifStart.end(), result.begin()));
    expectOnly({"photo.jpg"});
}

TEST_F(RotateJpegFile, BackupKeepsTheUntouchedPhotoWithItsTimes) {
    CameraPhoto photo = makeCameraPhoto({});
    std::string path = place(photo.jpeg);
    writeFile(path + ".bak", {'o', 'l', 'd'});
    options_.Backup = 1;
    ASSERT_EQ(rotate(path), 1);
    EXPECT_EQ(readFile(path + ".bak"), photo.jpeg);
    EXPECT_TRUE(sameTime(timesOfPath(path + ".bak").modification, kOldTimes.modification));
    EXPECT_NE(readFile(path), photo.jpeg);
    expectOnly({"photo.jpg", "photo.jpg.bak"});

    options_.Backup = 0;
    std::string second = place(photo.jpeg, "second.jpg");
    ASSERT_EQ(rotate(second), 1);
    expectOnly({"photo.jpg", "photo.jpg.bak", "second.jpg"});
}

TEST_F(RotateJpegFile, KeepsPermissionBits) {
    std::string path = place(makeCameraPhoto({}).jpeg);
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(rotate(path), 1);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(RotateJpegFile, LinkStaysALinkAndItsPhotoTurns) {
    CameraPhoto photo = makeCameraPhoto({});
    std::string path = place(photo.jpeg);
    std::string link = folder_.file("link.jpg");
    ASSERT_EQ(symlink("photo.jpg", link.c_str()), 0);
    ASSERT_EQ(rotate(link), 1);
    struct stat st;
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    expectSameCoefficients(readFile(path), turned(photo.jpeg));
    expectOnly({"link.jpg", "photo.jpg"});
}

class ExifTimestamp : public RotateJpegFile {
protected:
    void SetUp() override {
        RotateJpegFile::SetUp();
        const char* tz = std::getenv("TZ");
        hadTz_ = tz != nullptr;
        if (tz) oldTz_ = tz;
        setenv("TZ", "PVT-2", 1);  // two hours east of UTC, no daylight saving time
        tzset();
        options_.EXIFTimestamp = 1;
    }
    void TearDown() override {
        if (hadTz_) setenv("TZ", oldTz_.c_str(), 1);
        else unsetenv("TZ");
        tzset();
        RotateJpegFile::TearDown();
    }

private:
    bool hadTz_ = false;
    std::string oldTz_;
};

TEST_F(ExifTimestamp, ValidDateSetsBothTimesAsLocalTime) {
    CameraPhotoSpec spec;
    spec.dateText = "2008:05:17 14:30:00";
    std::string path = place(makeCameraPhoto(spec).jpeg);
    ASSERT_EQ(rotate(path), 1);
    const time_t expected = 1211034600 - 2 * 3600;  // 2008-05-17 14:30:00 UTC, read at UTC+2
    platform::FileTimes times = timesOfPath(path);
    EXPECT_TRUE(sameTime(times.access, timespec{expected, 0}));
    EXPECT_TRUE(sameTime(times.modification, timespec{expected, 0}));
}

TEST_F(ExifTimestamp, BlankDateLeavesTheTimeOfTheRewrite) {
    CameraPhotoSpec spec;
    spec.dateText = "    :  :     :  :  ";
    std::string path = place(makeCameraPhoto(spec).jpeg);
    const time_t start = time(nullptr);
    ASSERT_EQ(rotate(path), 1);
    EXPECT_GE(timesOfPath(path).modification.tv_sec, start - 1);
}

TEST_F(ExifTimestamp, OffRestoresTheTimesToTheNanosecond) {
    CameraPhotoSpec spec;
    spec.dateText = "2008:05:17 14:30:00";
    std::string path = place(makeCameraPhoto(spec).jpeg);
    options_.EXIFTimestamp = 0;
    ASSERT_EQ(rotate(path), 1);
    platform::FileTimes times = timesOfPath(path);
    EXPECT_TRUE(sameTime(times.access, kOldTimes.access));
    EXPECT_TRUE(sameTime(times.modification, kOldTimes.modification));
}

// Faults: the photograph stays byte for byte, nothing is left, the result is 0.
class RotateFault : public RotateJpegFile {
protected:
    void expectUntouched(const std::string& path, const Bytes& original, const std::vector<std::string>& names = {"photo.jpg"}) {
        EXPECT_EQ(readFile(path), original);
        EXPECT_TRUE(sameTime(timesOfPath(path).modification, kOldTimes.modification));
        expectOnly(names);
    }

    // Runs the workflow in a child whose files may grow to `limit` bytes at most.
    int rotateWithFileSizeLimit(const std::string& path, rlim_t limit) {
        pid_t child = fork();
        if (child == 0) {
            signal(SIGXFSZ, SIG_IGN);
            rlimit r{limit, limit};
            setrlimit(RLIMIT_FSIZE, &r);
            _exit(rotate(path));
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(RotateFault, NotAJpeg) {
    Bytes text = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'h', 'o', 't', 'o', '\n'};
    std::string path = place(text);
    options_.Backup = 1;
    EXPECT_EQ(rotate(path), 0);
    expectUntouched(path, text);
}

TEST_F(RotateFault, TruncatedJpeg) {
    for (ByteOrder order : {ByteOrder::Intel, ByteOrder::Motorola}) {
        CameraPhotoSpec spec;
        spec.order = order;
        Bytes jpeg = makeCameraPhoto(spec).jpeg;
        jpeg.resize(jpeg.size() * 2 / 3);
        std::string path = place(jpeg);
        EXPECT_EQ(rotate(path), 0);
        expectUntouched(path, jpeg);
    }
}

TEST_F(RotateFault, FolderWithoutWritePermission) {
    Bytes jpeg = makeCameraPhoto({}).jpeg;
    std::string path = place(jpeg);
    ASSERT_EQ(chmod(folder_.path().c_str(), 0555), 0);
    int result = -1;
    if (geteuid() != 0) {
        result = rotate(path);
    } else {
        // Root may write anywhere: the workflow runs in a child that has become nobody.
        ASSERT_EQ(chmod(scratch_.path().c_str(), 0777), 0);
        pid_t child = fork();
        if (child == 0) _exit(setgid(65534) == 0 && setuid(65534) == 0 ? rotate(path) : 99);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        result = WEXITSTATUS(status);
    }
    EXPECT_EQ(result, 0);
    chmod(folder_.path().c_str(), 0755);
    expectUntouched(path, jpeg);
}

TEST_F(RotateFault, DiskFullWhileThePhotoIsWritten) {
    Bytes jpeg = makeCameraPhoto({}).jpeg;
    std::string path = place(jpeg);
    options_.Backup = 1;
    EXPECT_EQ(rotateWithFileSizeLimit(path, jpeg.size() / 2), 0);
    expectUntouched(path, jpeg);
}

TEST_F(RotateFault, DiskFullWhileTheThumbnailIsWritten) {
    CameraPhoto photo = makeCameraPhoto({});
    std::string path = place(photo.jpeg);
    ASSERT_GT(photo.thumbnail.size(), 400u);
    EXPECT_EQ(rotateWithFileSizeLimit(path, photo.thumbnail.size() / 2), 0);  // the thumbnail comes first
    expectUntouched(path, photo.jpeg);
}

TEST_F(RotateFault, NoTemporaryFolderForTheThumbnail) {
    Bytes jpeg = makeCameraPhoto({}).jpeg;
    std::string path = place(jpeg);
    setenv("TMPDIR", folder_.file("missing").c_str(), 1);
    EXPECT_EQ(rotate(path), 0);
    expectUntouched(path, jpeg);
}

TEST_F(RotateFault, ThumbnailTheLibraryCannotRead) {
    CameraPhoto photo = makeCameraPhoto({});
    Bytes jpeg = photo.jpeg;
    // Cut the thumbnail's scan short inside the file: same length, the image data zeroed.
    auto at = std::search(jpeg.begin(), jpeg.end(), photo.thumbnail.begin(), photo.thumbnail.end());
    ASSERT_NE(at, jpeg.end());
    std::fill(at + static_cast<long>(photo.thumbnail.size()) / 2, at + static_cast<long>(photo.thumbnail.size()), 0);
    std::string path = place(jpeg);
    EXPECT_EQ(rotate(path), 0);
    expectUntouched(path, jpeg);
}

}  // namespace

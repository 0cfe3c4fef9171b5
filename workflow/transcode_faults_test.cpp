// Every failure returns 0, says why on the standard error stream, leaves the original byte for
// byte under its own name and leaves no stray file behind.

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"
#include "workflow/transcode_jpeg.h"
#include "workflow/transcode_test_support.h"

namespace {

using testsupport::Bytes;
using testsupport::listFolder;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;
using Names = std::vector<std::string>;

Bytes photo(int width = 64, int height = 48) {
    testsupport::JpegSpec spec;
    spec.width = width;
    spec.height = height;
    spec.progressive = false;
    return testsupport::makeJpeg(spec);
}

// Offset of the first SOS marker, found by walking the segments.
size_t startOfScan(const Bytes& jpeg) {
    size_t pos = 2;
    while (pos + 4 <= jpeg.size() && !(jpeg[pos] == 0xFF && jpeg[pos + 1] == 0xDA))
        pos += 2 + ((static_cast<size_t>(jpeg[pos + 2]) << 8) | jpeg[pos + 3]);
    return pos;
}

class TranscodeFaults : public ::testing::Test {
protected:
    std::string path() const { return dir.file("photo.jpg"); }

    // Transcodes the photo in place with a backup requested, capturing the standard error stream.
    int transcodeInPlace(const Bytes& content) {
        writeFile(path(), content);
        ::testing::internal::CaptureStderr();
        int result = transcodeJpeg(path().c_str(), path().c_str(), "rotate 270", 1);
        errors = ::testing::internal::GetCapturedStderr();
        return result;
    }

    void expectUntouched(const Bytes& content) {
        EXPECT_EQ(readFile(path()), content);
        EXPECT_EQ(listFolder(dir.path()), (Names{"photo.jpg"}));
    }

    TempDir dir;
    std::string errors;
};

TEST_F(TranscodeFaults, MissingInput) {
    ::testing::internal::CaptureStderr();
    int result = transcodeJpeg(path().c_str(), dir.file("out.jpg").c_str(), "rotate 270", 0);
    errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(errors, "Pivora: can't open " + path() + "\n");
    EXPECT_TRUE(listFolder(dir.path()).empty());
}

TEST_F(TranscodeFaults, NotAJpeg) {
    Bytes text{'h', 'e', 'l', 'l', 'o', '\n'};
    EXPECT_EQ(transcodeInPlace(text), 0);
    EXPECT_NE(errors.find("Not a JPEG file"), std::string::npos) << errors;
    expectUntouched(text);
}

TEST_F(TranscodeFaults, EmptyFile) {
    EXPECT_EQ(transcodeInPlace(Bytes{}), 0);
    EXPECT_FALSE(errors.empty());
    expectUntouched(Bytes{});
}

TEST_F(TranscodeFaults, TruncatedInTheHeader) {
    Bytes whole = photo();
    Bytes cut(whole.begin(), whole.begin() + static_cast<long>(startOfScan(whole) - 10));
    EXPECT_EQ(transcodeInPlace(cut), 0);
    EXPECT_FALSE(errors.empty());
    expectUntouched(cut);
}

TEST_F(TranscodeFaults, TruncatedInTheImageData) {
    // libjpeg itself would only warn and pad the rest with grey; a rewrite would lose the photo's end.
    for (bool progressive : {false, true}) {
        testsupport::JpegSpec spec;
        spec.width = 64;
        spec.height = 64;
        spec.progressive = progressive;
        Bytes whole = testsupport::makeJpeg(spec);
        Bytes cut(whole.begin(), whole.begin() + static_cast<long>(whole.size() * 2 / 3));
        EXPECT_EQ(transcodeInPlace(cut), 0) << "progressive " << progressive;
        EXPECT_NE(errors.find("Premature end of JPEG file"), std::string::npos) << errors;
        expectUntouched(cut);
    }
}

TEST_F(TranscodeFaults, ClaimedSizeBeyondTheMemoryLimitIsRefused) {
    // A tiny file whose frame header claims 65000 x 65000 pixels: gigabytes of coefficient arrays.
    Bytes jpeg = photo();
    size_t pos = 2;
    while (pos + 9 <= jpeg.size() && !(jpeg[pos] == 0xFF && jpeg[pos + 1] == 0xC0))
        pos += 2 + ((static_cast<size_t>(jpeg[pos + 2]) << 8) | jpeg[pos + 3]);
    ASSERT_LT(pos + 9, jpeg.size());
    for (size_t field : {pos + 5, pos + 7}) {
        jpeg[field] = 0xFD;
        jpeg[field + 1] = 0xE8;
    }
    EXPECT_EQ(transcodeInPlace(jpeg), 0);
    EXPECT_NE(errors.find("Backing store not supported"), std::string::npos) << errors;
    expectUntouched(jpeg);
}

TEST_F(TranscodeFaults, CorruptDataThatCanBeGotPastIsAWarningOnly) {
    Bytes jpeg = photo();
    jpeg.insert(jpeg.begin() + static_cast<long>(startOfScan(jpeg)), {0x00, 0x00, 0x00});
    EXPECT_EQ(transcodeInPlace(jpeg), 1);
    EXPECT_NE(errors.find("extraneous bytes"), std::string::npos) << errors;
    EXPECT_EQ(listFolder(dir.path()), (Names{"photo.jpg", "photo.jpg.bak"}));
    EXPECT_EQ(readFile(dir.file("photo.jpg.bak")), jpeg);
}

TEST_F(TranscodeFaults, OutputFolderIsADirectoryName) {
    Bytes jpeg = photo();
    writeFile(path(), jpeg);
    ASSERT_EQ(::mkdir(dir.file("out.jpg").c_str(), 0700), 0);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(transcodeJpeg(path().c_str(), dir.file("out.jpg").c_str(), "rotate 270", 0), 0);
    errors = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(errors.empty());
    EXPECT_EQ(readFile(path()), jpeg);  // not removed: the transcoding did not succeed
    EXPECT_EQ(listFolder(dir.path()), (Names{"out.jpg", "photo.jpg"}));
    EXPECT_TRUE(listFolder(dir.file("out.jpg")).empty());
}

// Folder permissions do not stop root, so the child gives its privileges away first.
bool becomeUnprivileged() {
    if (::geteuid() != 0) return true;
    passwd* nobody = ::getpwnam("nobody");
    uid_t uid = nobody ? nobody->pw_uid : 65534;
    gid_t gid = nobody ? nobody->pw_gid : 65534;
    return ::setgroups(0, nullptr) == 0 && ::setgid(gid) == 0 && ::setuid(uid) == 0;
}

TEST_F(TranscodeFaults, OutputFolderWithoutWritePermission) {
    Bytes jpeg = photo();
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(dir.file("locked").c_str(), 0755), 0);
    writeFile(path(), jpeg);
    std::string inside = dir.file("locked/inside.jpg");  // a writable photo in a folder that is not
    writeFile(inside, jpeg);
    ASSERT_EQ(::chmod(path().c_str(), 0644), 0);
    ASSERT_EQ(::chmod(inside.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.file("locked").c_str(), 0555), 0);
    std::string output = dir.file("locked/out.jpg");
    std::string input = path();
    TempDir other;
    transcodetest::ChildOutcome outcome = transcodetest::runInChild(
        [&] {
            if (!becomeUnprivileged()) return 99;
            int distinct = transcodeJpeg(input.c_str(), output.c_str(), "rotate 270", 0);
            int inPlace = transcodeJpeg(inside.c_str(), inside.c_str(), "rotate 270", 1);
            return distinct + 2 * inPlace;
        },
        other.file("errors.txt"));
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.errors, "Pivora: can't open " + output + "\nPivora: can't open " + inside + "\n");
    EXPECT_EQ(readFile(path()), jpeg);
    EXPECT_EQ(readFile(inside), jpeg);
    EXPECT_EQ(listFolder(dir.file("locked")), (Names{"inside.jpg"}));
    EXPECT_EQ(listFolder(dir.path()), (Names{"locked", "photo.jpg"}));
}

TEST_F(TranscodeFaults, WriteFailingHalfWay) {
    Bytes jpeg = photo(256, 256);
    ASSERT_GT(jpeg.size(), 40000u);
    writeFile(path(), jpeg);
    std::string target = path();
    TempDir other;  // the child's standard error goes elsewhere, so the folder listing stays exact
    transcodetest::ChildOutcome outcome = transcodetest::runInChild(
        [&] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{16384, 16384};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 99;
            return transcodeJpeg(target.c_str(), target.c_str(), "rotate 270", 1);
        },
        other.file("errors.txt"));
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_NE(outcome.errors.find("Output file write error"), std::string::npos) << outcome.errors;
    EXPECT_EQ(readFile(path()), jpeg);
    EXPECT_EQ(listFolder(dir.path()), (Names{"photo.jpg"}));
}

}  // namespace

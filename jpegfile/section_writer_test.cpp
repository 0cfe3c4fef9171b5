#include <sys/resource.h>
#include <sys/stat.h>
#include <csignal>
#include <unistd.h>

#include <gtest/gtest.h>

#include "jpegfile/section_test_helpers.h"
#include "tests/support/files.h"

namespace sectiontest {
namespace {

class WriterTest : public SectionTableTest {
protected:
    testsupport::TempDir folder;
    std::string path = folder.file("photo.jpg");
    Bytes original = handMadeFile({segment(0xFE, text("old"))});

    void SetUp() override {
        SectionTableTest::SetUp();
        testsupport::writeFile(path, original);
    }
};

TEST_F(WriterTest, WritesSoiJfifHeaderSegmentsAndImageData) {
    Bytes file = handMadeFile({segment(0xDB, {1, 2, 3})});
    ASSERT_EQ(readFromMemory(file, ReadImageData), 1);
    ASSERT_EQ(writeSectionsToFile(path.c_str()), 1);
    Bytes expected{0xFF, 0xD8};
    expected.insert(expected.end(), kJfifHeader, kJfifHeader + kJfifHeaderSize);
    expected.insert(expected.end(), file.begin() + 2, file.end());
    EXPECT_EQ(testsupport::readFile(path), expected);
    EXPECT_EQ(testsupport::listFolder(folder.path()), std::vector<std::string>{"photo.jpg"});
}

TEST_F(WriterTest, JfifHeaderIsTheDocumentedEighteenBytes) {
    const Bytes expected{0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00, 0x01,
                         0x01, 0x01, 0x01, 0x2C, 0x01, 0x2C, 0x00, 0x00};
    EXPECT_EQ(Bytes(kJfifHeader, kJfifHeader + kJfifHeaderSize), expected);
}

TEST_F(WriterTest, LeadingApp1TakesThePlaceOfTheJfifHeader) {
    ASSERT_EQ(readFromMemory(handMadeFile({segment(0xE1, text("http://ns.adobe.com/xap/1.0/"))}), ReadImageData), 1);
    Bytes written = writtenTable();
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 4), (Bytes{0xFF, 0xD8, 0xFF, 0xE1}));
}

TEST_F(WriterTest, WithoutImageDataNothingIsWritten) {
    ASSERT_EQ(readFromMemory(handMadeFile({segment(0xDB, {1})}), ReadMetadata), 1);
    EXPECT_EQ(writeSectionsToFile(path.c_str()), 0);
    EXPECT_TRUE(reported("Can't write back - didn't read all"));
    EXPECT_EQ(testsupport::readFile(path), original);
    EXPECT_EQ(testsupport::listFolder(folder.path()), std::vector<std::string>{"photo.jpg"});

    FILE* stream = std::tmpfile();
    EXPECT_EQ(writeSectionsToStream(stream), 0);
    EXPECT_EQ(std::ftell(stream), 0);
    std::fclose(stream);
}

TEST_F(WriterTest, KeepingAfterTheImageDataReadLeavesNothingToWrite) {
    ASSERT_EQ(readFromMemory(handMadeFile({segment(0xFE, text("c"))}), ReadMetadata | ReadImageData), 1);
    keepExifAndComment();
    EXPECT_EQ(sectionTable.imageDataLoaded, 1);
    EXPECT_EQ(writeSectionsToFile(path.c_str()), 0);
    EXPECT_EQ(testsupport::readFile(path), original);
}

TEST_F(WriterTest, FolderThatIsGoneGivesZeroAndCreatesNothing) {
    ASSERT_EQ(readFromMemory(handMadeFile({}), ReadImageData), 1);
    EXPECT_EQ(writeSectionsToFile(folder.file("gone/photo.jpg").c_str()), 0);
    EXPECT_TRUE(reported("Could not open file for write"));
    EXPECT_EQ(testsupport::listFolder(folder.path()), std::vector<std::string>{"photo.jpg"});
}

TEST_F(WriterTest, FailedReplacementLeavesTheTargetAsItWasAndNoStrayFile) {
    // A folder under the path cannot be replaced by a file: the rename at the end fails.
    std::string target = folder.file("busy.jpg");
    ASSERT_EQ(::mkdir(target.c_str(), 0755), 0);
    testsupport::writeFile(target + "/inside", original);
    ASSERT_EQ(readFromMemory(handMadeFile({}), ReadImageData), 1);
    EXPECT_EQ(writeSectionsToFile(target.c_str()), 0);
    EXPECT_EQ(testsupport::listFolder(folder.path()), (std::vector<std::string>{"busy.jpg", "photo.jpg"}));
    EXPECT_EQ(testsupport::readFile(target + "/inside"), original);
}

// A file-size limit below the new file's size makes the write itself fail half-way.
TEST_F(WriterTest, WriteFailingHalfWayLeavesThePhotoAsItWasAndNoStrayFile) {
    ASSERT_EQ(readFromMemory(handMadeFile({}, Bytes(200000, 0x55)), ReadImageData), 1);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    if (saved.rlim_max != RLIM_INFINITY && saved.rlim_max < 100000) GTEST_SKIP() << "file size already limited";
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    int result = writeSectionsToFile(path.c_str());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(reported("Could not write file"));
    EXPECT_EQ(testsupport::readFile(path), original);
    EXPECT_EQ(testsupport::listFolder(folder.path()), std::vector<std::string>{"photo.jpg"});
}

TEST_F(WriterTest, StreamThatCannotTakeTheBytesGivesZero) {
    ASSERT_EQ(readFromMemory(handMadeFile({}, Bytes(70000, 0x55)), ReadImageData), 1);
    FILE* full = std::fopen("/dev/full", "wb");
    if (!full) GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(writeSectionsToStream(full), 0);
    std::fclose(full);
    EXPECT_TRUE(reported("Could not write file"));
}

TEST_F(WriterTest, ReplacedFileKeepsItsPermissionBits) {
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(readFromMemory(handMadeFile({}), ReadImageData), 1);
    ASSERT_EQ(writeSectionsToFile(path.c_str()), 1);
    struct stat after{};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
}

TEST_F(WriterTest, NewFileGetsTheUsualPermissionsNotThePrivateOnes) {
    std::string fresh = folder.file("fresh.jpg");
    ASSERT_EQ(readFromMemory(handMadeFile({}), ReadImageData), 1);
    ASSERT_EQ(writeSectionsToFile(fresh.c_str()), 1);
    mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat after{};
    ASSERT_EQ(::stat(fresh.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 0777, 0666u & ~mask);
}

}  // namespace
}  // namespace sectiontest

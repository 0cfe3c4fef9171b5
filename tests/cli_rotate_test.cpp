// pivora-cli PATH... as a user runs it on a folder tree: messages, exit status, files.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <map>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/cli_process.h"
#include "tests/support/camera_photo.h"
#include "tests/support/files.h"
#include "tests/support/transform_driver.h"

namespace {

using namespace testsupport;
using clitest::runCli;

Bytes photo(std::uint32_t seed, ByteOrder order = ByteOrder::Intel) {
    CameraPhotoSpec spec;
    spec.seed = seed;
    spec.order = order;
    return makeCameraPhoto(spec).jpeg;
}

bool isRotated(const std::string& path, const Bytes& original) {
    Bytes now = readFile(path);
    if (now == original) return false;
    return readCoefficients(now).components[0].blocks ==
           readCoefficients(transformInMemory(original, TransformKind::Rotate270)).components[0].blocks;
}

// top: a.jpg, b.JPG, c.jpeg, notes.txt, .hidden.jpg; top/sub: d.jpg; top/old.jpg/ (a folder).
class CliRotateTree : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(mkdir(dir.file("sub").c_str(), 0755), 0);
        ASSERT_EQ(mkdir(dir.file("old.jpg").c_str(), 0755), 0);
        for (const char* name : {"a.jpg", "b.JPG", "c.jpeg", ".hidden.jpg", "sub/d.jpg"}) {
            originals[name] = photo(static_cast<std::uint32_t>(originals.size() + 1));
            writeFile(dir.file(name), originals[name]);
        }
        writeFile(dir.file("notes.txt"), {'h', 'i', '\n'});
    }
    bool rotated(const std::string& name) { return isRotated(dir.file(name), originals[name]); }

    TempDir dir;
    std::map<std::string, Bytes> originals;
};

TEST_F(CliRotateTree, FolderWithoutSubfolders) {
    clitest::CliRun run = runCli({dir.path()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "3 files read, of which 3 files successfully rotated\n");
    EXPECT_TRUE(rotated("a.jpg") && rotated("b.JPG") && rotated(".hidden.jpg"));
    EXPECT_FALSE(rotated("c.jpeg"));
    EXPECT_FALSE(rotated("sub/d.jpg"));
    EXPECT_EQ(listFolder(dir.path()),
              (std::vector<std::string>{".hidden.jpg", "a.jpg", "b.JPG", "c.jpeg", "notes.txt", "old.jpg", "sub"}));
}

TEST_F(CliRotateTree, SubfoldersAndBackup) {
    clitest::CliRun run = runCli({"--subfolders", "--backup", dir.path()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "4 files read, of which 4 files successfully rotated\n");
    EXPECT_TRUE(rotated("sub/d.jpg"));
    EXPECT_EQ(readFile(dir.file("sub/d.jpg.bak")), originals["sub/d.jpg"]);
    EXPECT_EQ(readFile(dir.file("a.jpg.bak")), originals["a.jpg"]);
}

TEST_F(CliRotateTree, AFileThatCannotBeRotatedMakesTheStatusOne) {
    writeFile(dir.file("sub/broken.jpg"), {0xFF, 0xD8, 0xFF});
    clitest::CliRun run = runCli({"--subfolders", dir.file("sub")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("2 files read, of which 1 files successfully rotated\n"), std::string::npos) << run.out;
    EXPECT_EQ(readFile(dir.file("sub/broken.jpg")), (Bytes{0xFF, 0xD8, 0xFF}));
}

TEST_F(CliRotateTree, SingleFilesAndPathsThatAreNeither) {
    clitest::CliRun good = runCli({dir.file("a.jpg")});
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(good.out, "File " + dir.file("a.jpg") + " successfully rotated\n");
    EXPECT_TRUE(rotated("a.jpg"));

    clitest::CliRun bad = runCli({dir.file("notes.txt")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("File " + dir.file("notes.txt") + " could not be rotated\n"), std::string::npos);

    clitest::CliRun missing = runCli({dir.file("gone.jpg"), dir.file("b.JPG")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("Not file or path"), std::string::npos);
    EXPECT_TRUE(rotated("b.JPG")) << "the paths after a bad one are still handled";
}

TEST(CliRotate, EmptyFolderAndUsageErrors) {
    TempDir empty;
    clitest::CliRun run = runCli({empty.path()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "No files processed\n");
    EXPECT_EQ(runCli({}).status, 2);
    EXPECT_EQ(runCli({"--sideways", empty.path()}).status, 2);
    EXPECT_EQ(runCli({"--backup"}).status, 2);
}

TEST(CliRotate, TimesFromTheExifDateUnlessKeepTimes) {
    TempDir dir;
    CameraPhotoSpec spec;
    spec.dateText = "2008:05:17 14:30:00";
    Bytes jpeg = makeCameraPhoto(spec).jpeg;
    writeFile(dir.file("dated.jpg"), jpeg);
    writeFile(dir.file("kept.jpg"), jpeg);
    const timespec old[2] = {{1000000000, 5}, {1000000000, 7}};
    ASSERT_EQ(utimensat(AT_FDCWD, dir.file("kept.jpg").c_str(), old, 0), 0);

    setenv("TZ", "UTC0", 1);  // inherited by the child
    EXPECT_EQ(runCli({dir.file("dated.jpg")}).status, 0);
    EXPECT_EQ(runCli({"--keep-times", dir.file("kept.jpg")}).status, 0);
    unsetenv("TZ");
    struct stat dated, kept;
    ASSERT_EQ(stat(dir.file("dated.jpg").c_str(), &dated), 0);
    ASSERT_EQ(stat(dir.file("kept.jpg").c_str(), &kept), 0);
    EXPECT_EQ(dated.st_mtim.tv_sec, 1211034600);  // 2008-05-17 14:30:00 UTC
    EXPECT_EQ(kept.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(kept.st_mtim.tv_nsec, 7);
}

TEST(CliRotate, InterruptFinishesTheFileInHandAndPrintsTheSummary) {
    TempDir dir, streams;
    std::vector<Bytes> originals;
    for (std::uint32_t i = 0; i < 30; ++i) {
        originals.push_back(photo(i + 1));
        writeFile(dir.file("p" + std::to_string(i) + ".jpg"), originals.back());
    }
    pid_t child = clitest::startCli({dir.path()}, streams.file("out"), streams.file("err"));
    // Interrupt once the first photograph has been replaced.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < giveUp) {
        int changed = 0;
        for (std::uint32_t i = 0; i < 30; ++i) changed += readFile(dir.file("p" + std::to_string(i) + ".jpg")) != originals[i];
        if (changed) break;
        usleep(100);
    }
    kill(child, SIGINT);
    clitest::CliRun run = clitest::finishCli(child, streams.file("out"), streams.file("err"));

    int filesRead = -1, filesRotated = -1;
    ASSERT_EQ(std::sscanf(run.out.c_str(), "%d files read, of which %d files successfully rotated", &filesRead, &filesRotated), 2)
        << run.out;
    EXPECT_EQ(filesRead, filesRotated);
    int rotatedNow = 0;
    for (std::uint32_t i = 0; i < 30; ++i) rotatedNow += isRotated(dir.file("p" + std::to_string(i) + ".jpg"), originals[i]);
    EXPECT_EQ(rotatedNow, filesRotated) << "every file handed over was finished, no other was touched";
    if (filesRead < 30) {
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("interrupted"), std::string::npos);
    }
}

}  // namespace

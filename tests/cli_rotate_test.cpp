// pivora-cli PATH... as a user runs it on a folder tree: messages, exit status, files.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <cstdio>

#include "tests/cli_process.h"
#include "tests/support/camera_photo.h"

namespace {

using namespace testsupport;
using clitest::runCli;

Bytes photo(std::uint32_t seed) {
    CameraPhotoSpec recipe;
    recipe.seed = seed;
    recipe.dateText = "2008:05:17 14:30:00";
    return makeCameraPhoto(recipe).jpeg;
}

// top: a.jpg, b.JPG, sub/d.jpg, c.jpeg, sub/broken.jpg; elsewhere: single.jpg.
TEST(CliRotate, FoldersAndFilesPrintTheirMessagesAndTheStatus) {
    TempDir dir, other;
    ASSERT_EQ(::mkdir(dir.file("sub").c_str(), 0755), 0);
    const std::vector<std::string> names = {"a.jpg", "b.JPG", "sub/d.jpg", "c.jpeg"};
    for (size_t i = 0; i < names.size(); ++i) writeFile(dir.file(names[i]), photo(static_cast<std::uint32_t>(i)));
    writeFile(dir.file("sub/broken.jpg"), {0xFF, 0xD8, 0xFF});
    clitest::CliRun run = runCli({"--subfolders", "--backup", dir.path(), dir.file("gone.jpg")}, {"TZ=UTC0"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "5 files read, of which 4 files successfully rotated\nNot file or path: " + dir.file("gone.jpg") + "\n");
    for (size_t i = 0; i < names.size(); ++i) EXPECT_NE(readFile(dir.file(names[i])), photo(i)) << names[i];
    EXPECT_TRUE(fileExists(dir.file("sub/d.jpg.bak")));
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("a.jpg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1211034600);  // the Exif date, 2008-05-17 14:30:00 UTC

    const std::string single = other.file("single.jpg");
    writeFile(single, photo(9));
    const timespec old[2] = {{1000000000, 5}, {1000000000, 7}};
    ASSERT_EQ(::utimensat(AT_FDCWD, single.c_str(), old, 0), 0);
    run = runCli({"--keep-times", single});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "File " + single + " successfully rotated\n");
    ASSERT_EQ(::stat(single.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_nsec, 7);
}

// A photo once replaced is complete (the kill test proves it), so replaced means rotated here.
TEST(CliRotate, InterruptFinishesTheFileInHandAndPrintsTheSummary) {
    TempDir dir;
    std::vector<Bytes> originals;
    auto path = [&](size_t i) { return dir.file("p" + std::to_string(i) + ".jpg"); };
    for (std::uint32_t i = 0; i < 30; ++i) writeFile(path(i), originals.emplace_back(photo(i)));
    auto replaced = [&] {
        int count = 0;
        for (size_t i = 0; i < 30; ++i) count += readFile(path(i)) != originals[i];
        return count;
    };
    clitest::Cli cli({dir.path()});
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (replaced() == 0 && std::chrono::steady_clock::now() < giveUp) ::usleep(100);
    ::kill(cli.pid, SIGINT);
    clitest::CliRun run = cli.finish();

    int filesRead = -1, filesRotated = -1;
    ASSERT_EQ(std::sscanf(run.out.c_str(), "%d files read, of which %d files successfully rotated", &filesRead, &filesRotated), 2)
        << run.out;
    EXPECT_EQ(filesRead, filesRotated);
    EXPECT_EQ(replaced(), filesRotated) << "every file handed over was finished, no other was touched";
    if (filesRead < 30) {  // else the run was over before the interrupt came
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("interrupted"), std::string::npos);
    }
}

}  // namespace

// pivora-cli's journal as a user meets it: a run undone, a folder run again, the runs listed.

#include <gtest/gtest.h>
#include "tests/cli_process.h"
#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;
using clitest::linesOf;
using clitest::runCli;

// Photos of every Orientation, in whole blocks.
std::vector<Bytes> photos() {
    std::vector<Bytes> made;
    for (int orientation = 1; orientation <= 8; ++orientation) made.push_back(clitest::photo(orientation, 64, orientation));
    return made;
}

std::string nameOf(std::size_t i) { return "p" + std::to_string(i) + ".jpg"; }

class CliUndo : public ::testing::Test {
protected:
    void SetUp() override {
        for (std::size_t i = 0; i < originals.size(); ++i) {
            writeFile(dir.file(nameOf(i)), originals[i]);
            platform::setFileTimes(dir.file(nameOf(i)), kOldTimes);
        }
    }
    clitest::CliRun cli(Names args) {
        args.push_back(dir.path());
        return runCli(args, env);
    }

    TempDir home, dir;
    // One journal and one Trash for all the runs of a test.
    const Names env{"XDG_STATE_HOME=" + home.file("state"), "XDG_DATA_HOME=" + home.file("data")};
    const std::vector<Bytes> originals = photos();
};

// The originals in the Trash come back byte for byte with their times, and the Trash is empty.
TEST_F(CliUndo, AnUndoOfARunWithTheTrashLeavesTheFolderAsItWas) {
    const clitest::CliRun turned = cli({"--auto", "--trash"});
    ASSERT_EQ(turned.status, 0) << turned.out << turned.err;
    EXPECT_EQ(listFolder(home.file("data/Trash/files")).size(), 7u) << "orientation 1 needs nothing";
    const clitest::CliRun undone = runCli({"--undo"}, env);
    EXPECT_EQ(undone.status, 0) << undone.out << undone.err;
    EXPECT_NE(undone.out.find("7 photos put back as they were"), std::string::npos) << undone.out;
    for (std::size_t i = 0; i < originals.size(); ++i) {
        EXPECT_TRUE(hasTimes(dir.file(nameOf(i)), kOldTimes)) << i;
        EXPECT_EQ(readFile(dir.file(nameOf(i))), originals[i]) << i;
    }
    EXPECT_EQ(listFolder(dir.path()).size(), originals.size());
    EXPECT_TRUE(listFolder(home.file("data/Trash/files")).empty());
    EXPECT_TRUE(listFolder(home.file("data/Trash/info")).empty());
}

// Without kept originals the inverse turn gives every picture back, and the times that the turn
// set from the Exif date are put back as they were. (The tags: the workflow's undo tests.)
TEST_F(CliUndo, AnUndoWithoutOriginalsGivesEveryPictureAndItsTimesBack) {
    ASSERT_EQ(cli({}).status, 0);
    const clitest::CliRun undone = runCli({"--undo"}, env);
    EXPECT_EQ(undone.status, 0) << undone.out << undone.err;
    for (std::size_t i = 0; i < originals.size(); ++i) {
        SCOPED_TRACE(nameOf(i));
        EXPECT_TRUE(hasTimes(dir.file(nameOf(i)), kOldTimes));
        expectSameImage(readFile(dir.file(nameOf(i))), originals[i]);
    }
}

// A second run with the same turn leaves what the first turned, and says so; --again turns them
// again; the runs are listed with their counts.
TEST_F(CliUndo, AFolderRunAgainLeavesThePhotosAlreadyTurned) {
    ASSERT_EQ(cli({}).status, 0);
    const Bytes once = readFile(dir.file(nameOf(0)));
    const clitest::CliRun again = cli({});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.out.find("File " + dir.file(nameOf(0)) + " was left as it was: it was turned on "), std::string::npos)
        << again.out;
    EXPECT_NE(again.err.find("--again"), std::string::npos) << again.err;
    EXPECT_EQ(readFile(dir.file(nameOf(0))), once);
    ASSERT_EQ(cli({"--again"}).status, 0);
    EXPECT_NE(readFile(dir.file(nameOf(0))), once);
    const Names runs = linesOf(runCli({"--list-runs"}, env).out);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_NE(runs[0].find("fixed (rotate 270)  8 turned, 0 left as they were, 0 refused"), std::string::npos) << runs[0];
    EXPECT_NE(runs[1].find("0 turned, 8 left as they were"), std::string::npos) << runs[1];
}

}  // namespace

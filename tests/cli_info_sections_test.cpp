// pivora-cli --info reads through the section container, whose diagnostics stay off the JSON stream.

#include <gtest/gtest.h>

#include "tests/cli_process.h"
#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"

namespace {

using namespace testsupport;

TEST(CliInfoSections, ProgressiveGreyPhotoShowsItsFrameAndCleanedFirstComment) {
    TempDir dir;
    JpegSpec recipe;
    recipe.progressive = true;
    recipe.color = ColorKind::Gray;
    recipe.markers = {{0xFE, {'a', '\r', '\n', 'b', '\r', 7}}, {0xFE, {'s', 'e', 'c', 'o', 'n', 'd'}}};
    writeFile(dir.file("p.jpg"), makeJpeg(recipe));
    clitest::CliRun run = clitest::runCli({"--info", dir.file("p.jpg")});
    EXPECT_EQ(run.status, 0) << run.err;
    for (const char* member : {"\"comments\":\"a\\nb??\"", "\"isColor\":0", "\"process\":194"})
        EXPECT_NE(run.out.find(member), std::string::npos) << member << "\nin " << run.out;
}

TEST(CliInfoSections, PhotoWithoutImageFailsWithItsDiagnosticsOnStandardError) {
    TempDir dir;
    const std::string path = dir.file("empty.jpg");
    writeFile(path, {0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x03, 'x', 0xFF, 0xD9, 0x00, 0x02});
    clitest::CliRun run = clitest::runCli({"--info", path});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    for (const std::string& said : {"No image in jpeg!\nNot JPEG: " + path + "\n", path + ": no image data"})
        EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
}

}  // namespace

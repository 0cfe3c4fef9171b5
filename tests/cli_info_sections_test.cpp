// pivora-cli --info reads a photo the way the rotation does: the frame values and the cleaned
// first comment come from the section container, and its diagnostics stay off the JSON stream.

#include <gtest/gtest.h>

#include <string>

#include "tests/cli_process.h"
#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"

namespace {

using namespace testsupport;
using clitest::runCli;

TEST(CliInfoSections, FirstCommentIsCleanedAndTheFrameOfAProgressivePhotoIsRead) {
    TempDir dir;
    JpegSpec spec;
    spec.width = 40;
    spec.height = 24;
    spec.progressive = true;
    spec.color = ColorKind::Gray;
    std::string first = "line one\r\nline two\rbell\x07";
    spec.markers = {{0xFE, Bytes(first.begin(), first.end())}, {0xFE, {'s', 'e', 'c', 'o', 'n', 'd'}}};
    writeFile(dir.file("p.jpg"), makeJpeg(spec));
    clitest::CliRun run = runCli({"--info", dir.file("p.jpg")});
    EXPECT_EQ(run.status, 0) << run.err;
    for (const std::string& member : {std::string("\"comments\":\"line one\\nline two?bell?\""),
                                      std::string("\"width\":40"), std::string("\"height\":24"),
                                      std::string("\"isColor\":0"), std::string("\"process\":194")})
        EXPECT_NE(run.out.find(member), std::string::npos) << member << "\nin " << run.out;
}

TEST(CliInfoSections, PhotoWithoutImageFailsWithItsDiagnosticsOnStandardError) {
    TempDir dir;
    writeFile(dir.file("empty.jpg"), {0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x03, 'x', 0xFF, 0xD9, 0x00, 0x02});
    clitest::CliRun run = runCli({"--info", dir.file("empty.jpg")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("No image in jpeg!\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(dir.file("empty.jpg") + ": no image data"), std::string::npos) << run.err;
}

}  // namespace

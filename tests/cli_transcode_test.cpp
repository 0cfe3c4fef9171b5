// pivora-cli --transcode as a user runs it: exit status, files, and what it prints.

#include <gtest/gtest.h>

#include "tests/cli_process.h"
#include "tests/support/jpeg_maker.h"

namespace {

using namespace testsupport;
using clitest::runCli;

std::vector<int> markerCodes(const std::string& path) {
    std::vector<int> codes;
    for (const ExtraMarker& marker : listMarkers(readFile(path)))
        if (marker.code >= 0xE0) codes.push_back(marker.code);  // application markers and comments
    return codes;
}

TEST(CliTranscode, TurnsWithTheChosenOptionsOrSaysWhyNot) {
    TempDir dir;
    const std::string in = dir.file("in.jpg"), out = dir.file("out.jpg");
    JpegSpec recipe;
    recipe.width = 48;
    recipe.height = 32;
    recipe.markers = {{0xE1, Bytes{'E', 'x', 'i', 'f', 0, 0}}, {0xFE, Bytes{'n', 'o', 't', 'e'}}};
    writeFile(in, makeJpeg(recipe));
    clitest::CliRun run = runCli({"--transcode", in, out});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readCoefficients(readFile(out)).width, 32);  // "rotate 270"
    EXPECT_EQ(markerCodes(out), (std::vector<int>{0xE0, 0xE1, 0xFE}));
    const Bytes standardTables = readFile(out);

    run = runCli({"--transcode", "--optimize", in, out});  // the same picture in fewer bytes
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_LT(readFile(out).size(), standardTables.size());
    EXPECT_EQ(readCoefficients(readFile(out)).components[0].blocks, readCoefficients(standardTables).components[0].blocks);

    run = runCli({"--transcode", "--transform", "Flip Horizontal", "--gray", in, out, "--copy", "comments"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readCoefficients(readFile(out)).width, 48);
    EXPECT_EQ(readCoefficients(readFile(out)).components.size(), 1u);
    EXPECT_EQ(markerCodes(out), (std::vector<int>{0xE0, 0xFE}));

    run = runCli({"--transcode", dir.file("gone.jpg"), out});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Pivora: can't open " + dir.file("gone.jpg") + "\n");
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"in.jpg", "out.jpg"}));
}

}  // namespace

// pivora-cli --transcode as a user runs it: exit status, files, and what it prints.

#include <gtest/gtest.h>
#include <unistd.h>

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

    run = runCli({"--transcode", "--optimize", "--force", in, out});  // the same picture in fewer bytes
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_LT(readFile(out).size(), standardTables.size());
    EXPECT_EQ(readCoefficients(readFile(out)).components[0].blocks, readCoefficients(standardTables).components[0].blocks);

    run = runCli({"--transcode", "--transform", "Flip Horizontal", "--gray", in, out, "--copy", "comments", "--force"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readCoefficients(readFile(out)).width, 48);
    EXPECT_EQ(readCoefficients(readFile(out)).components.size(), 1u);
    EXPECT_EQ(markerCodes(out), (std::vector<int>{0xE0, 0xFE}));

    run = runCli({"--transcode", out, out});  // in place needs no --force
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readCoefficients(readFile(out)).width, 32);
    ASSERT_EQ(::unlink((out + ".bak").c_str()), 0);
}

// Each failure names what failed and the file, in the program's own words, and changes nothing.
TEST(CliTranscode, FailuresSayWhatFailedOnWhichFile) {
    TempDir dir;
    const std::string text = dir.file("notes\x1b.jpg"), out = dir.file("out.jpg"), gone = dir.file("gone.jpg"),
                      taken = dir.file("taken.jpg");
    writeFile(text, {'h', 'i', '!'});
    writeFile(taken, {'o', 'l', 'd'});
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"--transcode", gone, out}, "pivora-cli: can't read " + gone + ": cannot open the file: No such file or directory\n"},
        {{"--transcode", text, out},
         "pivora-cli: " + dir.file("notes\\x1b.jpg") + " is not a JPEG file: Not a JPEG file: starts with 0x68 0x69\n"},
        {{"--transcode", text, taken}, "pivora-cli: won't replace " + taken + ", which exists (--force replaces it)\n"},
        {{"--transcode", "--force", text, dir.path()}, "pivora-cli: can't write " + dir.path() + ": not a regular file\n"},
    };
    for (const auto& c : cases) {
        const clitest::CliRun run = runCli(c.args);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, c.err);
    }
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"notes\x1b.jpg", "taken.jpg"}));
    EXPECT_EQ(readFile(taken), (Bytes{'o', 'l', 'd'}));
}

}  // namespace

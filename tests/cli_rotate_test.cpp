// pivora-cli as a user runs it: rotating folder trees, the turns, usage errors; result lines,
// exit status, files.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <sstream>

#include "tests/cli_process.h"
#include "tests/support/camera_photo.h"
#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;
using clitest::runCli;

// Orientation 0: no Exif block at all.
Bytes photo(std::uint32_t seed, int width = 64, int orientation = 1) {
    CameraPhotoSpec recipe;
    recipe.seed = seed;
    recipe.width = width;
    recipe.dateText = "2008:05:17 14:30:00";
    recipe.withExif = orientation != 0;
    recipe.orientation = orientation;
    return makeCameraPhoto(recipe).jpeg;
}

Names linesOf(const std::string& text) {
    Names lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A missing path, then a folder: a.jpg, b.JPG, e.jpg, sub/d.jpg, sub/broken.jpg of uneven sizes,
// so that several jobs finish them out of order.
TEST(CliRotate, AFolderRunPrintsALineForEachFileThenTheSummaryWhateverTheJobs) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.file("sub").c_str(), 0755), 0);
    const Names names = {"a.jpg", "b.JPG", "sub/d.jpg", "e.jpg"};
    std::vector<Bytes> originals;
    for (size_t i = 0; i < names.size(); ++i) originals.push_back(photo(i, 64 + 160 * ((i * 3) % 4)));
    std::vector<clitest::CliRun> runs;
    std::vector<std::vector<Bytes>> after(2);
    for (const char* jobs : {"1", "3"}) {
        for (size_t i = 0; i < names.size(); ++i) {
            writeFile(dir.file(names[i]), originals[i]);
            ::unlink((dir.file(names[i]) + ".bak").c_str());
        }
        writeFile(dir.file("sub/broken.jpg"), {0xFF, 0xD8, 0xFF});
        runs.push_back(runCli({"--jobs", jobs, "--subfolders", "--backup", dir.file("gone.jpg"), dir.path()}, {"TZ=UTC0"}));
        for (const std::string& name : names) after[runs.size() - 1].push_back(readFile(dir.file(name)));
    }
    EXPECT_EQ(runs[1].out, runs[0].out) << "several jobs print what one job prints";
    EXPECT_EQ(after[1], after[0]);

    EXPECT_EQ(runs[0].status, 1);
    Names lines = linesOf(runs[0].out);
    ASSERT_EQ(lines.size(), 7u) << runs[0].out;
    std::sort(lines.begin() + 1, lines.end() - 1);
    const std::string refused = "File " + dir.file("sub/broken.jpg") + " could not be rotated: ";
    EXPECT_GT(lines[4].size(), refused.size()) << "a reason";
    lines[4].resize(std::min(lines[4].size(), refused.size()));
    const auto rotated = [&](const char* name) { return "File " + dir.file(name) + " successfully rotated"; };
    EXPECT_EQ(lines, (Names{"Not file or path: " + dir.file("gone.jpg"), rotated("a.jpg"), rotated("b.JPG"),
                            rotated("e.jpg"), refused, rotated("sub/d.jpg"),
                            "5 files read, of which 4 files successfully rotated"}));
    for (size_t i = 0; i < names.size(); ++i) EXPECT_NE(after[0][i], originals[i]) << names[i];
    EXPECT_EQ(readFile(dir.file("sub/d.jpg.bak")), originals[2]);
    EXPECT_TRUE(hasTimes(dir.file("a.jpg"), {{}, {1211034600, 0}}, false));  // the Exif date, 2008-05-17 14:30:00 UTC
}

// A photo once replaced is complete (the kill test proves it again), so replaced means rotated.
TEST(CliRotate, InterruptWithSeveralJobsLeavesEveryPhotoWholeAndPrintsTheSummary) {
    TempDir dir;
    std::vector<Bytes> originals;
    auto path = [&](size_t i) { return dir.file("p" + std::to_string(i) + ".jpg"); };
    for (std::uint32_t i = 0; i < 30; ++i) writeFile(path(i), originals.emplace_back(photo(i)));
    auto replaced = [&] {
        int count = 0;
        for (size_t i = 0; i < 30; ++i) count += readFile(path(i)) != originals[i];
        return count;
    };
    clitest::Cli cli({"--jobs", "3", dir.path()});
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (replaced() == 0 && std::chrono::steady_clock::now() < giveUp) ::usleep(100);
    ::kill(cli.pid, SIGINT);
    clitest::CliRun run = cli.finish();

    const Names lines = linesOf(run.out);
    ASSERT_FALSE(lines.empty());
    int filesRead = -1, filesRotated = -1;
    ASSERT_EQ(std::sscanf(lines.back().c_str(), "%d files read, of which %d files successfully rotated", &filesRead,
                          &filesRotated), 2)
        << run.out;
    EXPECT_EQ(filesRead, filesRotated);
    EXPECT_EQ(replaced(), filesRotated) << "every file the summary counts was finished, no other was touched";
    for (size_t i = 0; i < 30; ++i)
        if (readFile(path(i)) != originals[i]) expectSameImage(readFile(path(i)), turned(originals[i]));
    if (filesRead < 30) {  // else the run was over before the interrupt came
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(lines.size(), static_cast<size_t>(filesRotated) + 2) << run.out;
        EXPECT_EQ(lines[lines.size() - 2], "Cancelled: the files not yet handled were left as they were");
        EXPECT_NE(run.err.find("interrupted"), std::string::npos);
    }
}

// Every verb's usage errors, the help and the version; no file is made or changed.
TEST(CliRotate, UsageErrorsChangeNothingAndTheVerbsKeepTheirPlaces) {
    TempDir dir;
    const std::string x = dir.file("x.jpg"), out = dir.file("out.jpg");
    const Bytes original = photo(1);
    writeFile(x, original);
    const struct {
        std::vector<std::string> args;
        int status;
        std::string says;  // on either stream
    } cases[] = {
        {{}, 2, "no path given"},
        {{"--auto", "--turn", "rotate 90", x}, 2, "excludes"},
        {{"--turn", "rotate 45", x}, 2, "unknown turn 'rotate 45'"},
        {{"--turn"}, 2, "--turn"},
        {{"--jobs", "0", x}, 2, "--jobs"},
        {{"--jobs", "two", x}, 2, "--jobs"},
        {{"--transform", "rotate 90", x}, 2, "unknown option '--transform'"},
        {{x, "--transcode", x, x}, 2, "unknown option '--transcode'"},
        {{"--info", "--transcode", x}, 2, "Try 'pivora-cli --help'"},
        {{"--info"}, 2, "--info needs at least one file"},
        {{"--info", "--bogus", x}, 2, "unknown option '--bogus'"},
        {{"--transcode", x}, 2, "needs an input and an output file"},
        {{"--transcode", x, out, "y.jpg"}, 2, "needs an input and an output file"},
        {{"--transcode", x, out, "--frobnicate"}, 2, "unknown option '--frobnicate'"},
        {{"--transcode", x, out, "--transform", "rotate 45"}, 2, "unknown transform 'rotate 45'"},
        {{"--transcode", x, out, "--copy", "some"}, 2, "unknown --copy value 'some'"},
        {{x, "--help"}, 0, "--jobs N"},
        {{"-h"}, 0, "--transcode IN OUT"},
        {{"--", "--backup"}, 1, "Not file or path: --backup"},
        {{"--info", "--", "--tags"}, 1, "pivora-cli: --tags: "},  // a file of that name, which is not there
    };
    for (const auto& c : cases) {
        const clitest::CliRun run = runCli(c.args);
        EXPECT_EQ(run.status, c.status) << c.says;
        EXPECT_NE((run.out + run.err).find(c.says), std::string::npos) << run.out << run.err;
        EXPECT_EQ(run.err.find("Try 'pivora-cli --help'") != std::string::npos, c.status == 2) << c.says;
    }
    const clitest::CliRun version = runCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("pivora-cli ", 0), 0u) << version.out;
    EXPECT_EQ(readFile(x), original);
    EXPECT_EQ(listFolder(dir.path()), Names{"x.jpg"});
}

// A file named alone gets its line without a summary; --keep-times keeps its times.
TEST(CliRotate, TurnsByTheNamedTurnOrUprightByTheOrientationTag) {
    TempDir dir;
    using K = TransformKind;
    const Bytes original = photo(3);
    const std::string x = dir.file("x.jpg");
    const std::pair<const char*, K> names[] = {{"rotate 90", K::Rotate90}, {"Rotate 180", K::Rotate180},
                                               {"rotate 270", K::Rotate270}, {"flip horizontal", K::FlipHorizontal},
                                               {"FLIP VERTICAL", K::FlipVertical}, {"transpose", K::Transpose},
                                               {"transverse", K::Transverse}, {"none", K::None}};
    for (const auto& [name, kind] : names) {
        writeFile(x, original);
        ASSERT_TRUE(platform::setFileTimes(x, kOldTimes));
        const clitest::CliRun run = runCli({"--keep-times", "--turn", name, x});
        EXPECT_EQ(run.status, 0) << name;
        const char* done = kind == K::None ? " is already upright and was left as it was\n" : " successfully rotated\n";
        EXPECT_EQ(run.out, "File " + x + done) << run.err;
        expectSameImage(readFile(x), transformInMemory(original, kind));
        EXPECT_TRUE(hasTimes(x, kOldTimes, false)) << name;
    }

    ::unlink(x.c_str());
    // Without a turn the photo is not rewritten at all. What each value asks for, the workflow's own
    // tests pin down.
    const std::pair<int, std::optional<K>> orientations[] = {{0, {}}, {1, {}}, {6, K::Rotate90}};
    std::vector<Bytes> before;
    for (const auto& [orientation, kind] : orientations)
        writeFile(dir.file("o" + std::to_string(orientation) + ".jpg"), before.emplace_back(photo(4, 64, orientation)));
    const clitest::CliRun run = runCli({"--auto", dir.path()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("File " + dir.file("o1.jpg") + " is already upright and was left as it was"), std::string::npos);
    EXPECT_NE(run.out.find("\n2 files already upright, left as they were\n"), std::string::npos) << run.out;
    for (size_t i = 0; i < before.size(); ++i) {
        const auto& [orientation, kind] = orientations[i];
        const Bytes now = readFile(dir.file("o" + std::to_string(orientation) + ".jpg"));
        if (kind) expectSameImage(now, transformInMemory(before[i], *kind));
        else EXPECT_EQ(now, before[i]) << orientation;
    }
}

// Turned under one name, a photo of two names would show another picture under the other.
TEST(CliRotate, EachNameOfAHardLinkedPhotoIsNamedAndLeftAsItWas) {
    TempDir dir;
    const Bytes original = photo(6);
    writeFile(dir.file("a.jpg"), original);
    ASSERT_EQ(::link(dir.file("a.jpg").c_str(), dir.file("b.jpg").c_str()), 0);
    const clitest::CliRun run = runCli({dir.path()});
    EXPECT_EQ(run.status, 1);
    const std::string refused = " could not be rotated: it has several names (hard links): turning it under one "
                                "would leave the others unturned";
    EXPECT_EQ(linesOf(run.out), (Names{"File " + dir.file("a.jpg") + refused, "File " + dir.file("b.jpg") + refused,
                                       "2 files read, of which 0 files successfully rotated"}));
    EXPECT_EQ(readFile(dir.file("a.jpg")), original);
    EXPECT_EQ(listFolder(dir.path()), (Names{"a.jpg", "b.jpg"}));
}

// What a dry run leaves alone, and how, the workflow's own tests pin down.
TEST(CliRotate, DryRunSaysWhatWouldBeDoneAndChangesNothing) {
    TempDir dir;
    const Bytes original = photo(5);
    writeFile(dir.file("a.jpg"), original);
    const clitest::CliRun run = runCli({"--dry-run", "--backup", "--turn", "rotate 90", dir.path()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "File " + dir.file("a.jpg") +
                           " would be turned: rotate 90\n1 files read, of which 1 files would be rotated\n");
    EXPECT_EQ(listFolder(dir.path()), Names{"a.jpg"});
    EXPECT_EQ(readFile(dir.file("a.jpg")), original);
}

}  // namespace

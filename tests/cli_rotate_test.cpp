// pivora-cli as a user runs it: rotating folder trees, the turns, usage errors; result lines,
// exit status, files.

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <regex>
#include <sstream>

#include "platform/pending_name.h"
#include "tests/cli_process.h"
#include "tests/support/camera_photo.h"
#include "transform/turns.h"
#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;
using clitest::linesOf;
using clitest::photo;
using clitest::runCli;

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
    // Not on a terminal: no status line, only the note for the missing path.
    EXPECT_EQ(runs[0].err, "pivora-cli: not a file or folder: " + dir.file("gone.jpg") + "\n");
    Names lines = linesOf(runs[0].out);
    ASSERT_EQ(lines.size(), 6u) << runs[0].out;
    std::sort(lines.begin(), lines.end() - 1);
    const std::string refused = "File " + dir.file("sub/broken.jpg") + " could not be rotated: ";
    EXPECT_GT(lines[3].size(), refused.size()) << "a reason";
    lines[3].resize(std::min(lines[3].size(), refused.size()));
    const auto rotated = [&](const char* name) { return "File " + dir.file(name) + " successfully rotated"; };
    EXPECT_EQ(lines, (Names{rotated("a.jpg"), rotated("b.JPG"), rotated("e.jpg"), refused, rotated("sub/d.jpg"),
                            "5 files read, of which 4 files successfully rotated"}));
    for (size_t i = 0; i < names.size(); ++i) EXPECT_NE(after[0][i], originals[i]) << names[i];
    EXPECT_EQ(readFile(dir.file("sub/d.jpg.bak")), originals[2]);
    EXPECT_TRUE(hasTimes(dir.file("a.jpg"), {{}, {1211034600, 0}}, false));  // the Exif date, 2008-05-17 14:30:00 UTC
}

// A photo once replaced is complete (the kill test proves it again), so replaced means rotated.
// Ctrl-C, SIGTERM and SIGHUP end a run alike.
TEST(CliRotate, InterruptWithSeveralJobsLeavesEveryPhotoWholeAndPrintsTheSummary) {
    TempDir dir;
    std::vector<Bytes> originals;
    auto path = [&](size_t i) { return dir.file("p" + std::to_string(i) + ".jpg"); };
    for (std::uint32_t i = 0; i < 30; ++i) originals.push_back(photo(i));
    auto replaced = [&] {
        int count = 0;
        for (size_t i = 0; i < 30; ++i) count += readFile(path(i)) != originals[i];
        return count;
    };
    for (const auto& [signal, said] : {std::pair{SIGINT, "pivora-cli: interrupted\n"},
                                       {SIGTERM, "pivora-cli: interrupted by SIGTERM\n"},
                                       {SIGHUP, "pivora-cli: interrupted by SIGHUP\n"}}) {
        SCOPED_TRACE(said);
        for (size_t i = 0; i < 30; ++i) writeFile(path(i), originals[i]);
        clitest::Cli cli({"--jobs", "3", dir.path()});
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (replaced() == 0 && std::chrono::steady_clock::now() < giveUp) ::usleep(100);
        ::kill(cli.pid, signal);
        clitest::CliRun run = cli.finish();

        const Names lines = linesOf(run.out);
        ASSERT_FALSE(lines.empty());
        std::smatch counts;
        const std::regex summary{"(\\d+) files? read, of which (\\d+) files? successfully rotated"};
        ASSERT_TRUE(std::regex_match(lines.back(), counts, summary)) << run.out;
        const int filesRead = std::stoi(counts[1]), filesRotated = std::stoi(counts[2]);
        EXPECT_EQ(filesRead, filesRotated);
        EXPECT_EQ(replaced(), filesRotated) << "every file the summary counts was finished, no other was touched";
        for (size_t i = 0; i < 30; ++i)
            if (readFile(path(i)) != originals[i]) expectSameImage(readFile(path(i)), turned(originals[i]));
        EXPECT_EQ(listFolder(dir.path()).size(), 30u) << "no temporary file stays";
        if (filesRead < 30) {  // else the run was over before the signal came
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(lines.size(), static_cast<size_t>(filesRotated) + 2) << run.out;
            EXPECT_EQ(lines[lines.size() - 2], "Cancelled: the files not yet handled were left as they were");
            EXPECT_EQ(run.err, said);
        }
    }
}

// Every verb's usage errors and the help; no file is made or changed. (The installed program's
// --version is the install test's.)
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
        {{"--turn"}, 2, "pivora-cli: --turn needs a name: rotate 90, rotate 180,"},
        {{"--jobs"}, 2, "pivora-cli: --jobs needs a number from 1 to 9999\n"},
        {{"--jobs", "0", x}, 2, "pivora-cli: --jobs needs a number from 1 to 9999\n"},
        {{"--jobs", "two", x}, 2, "pivora-cli: --jobs needs a number from 1 to 9999\n"},
        {{"--transform", "rotate 90", x}, 2, "unknown option '--transform'"},
        {{"--json", x}, 2, "--json requires --dry-run"},
        {{"--apply", out, x}, 2, "--apply takes its photos from the plan, not from paths"},
        {{"--apply", out, "--auto"}, 2, "excludes"},
        {{"--apply", out}, 2, "can't read the plan " + out + ": No such file or directory"},
        {{x, "--transcode", x, x}, 2, "unknown option '--transcode'"},
        {{"--info", "--transcode", x}, 2, "Try 'pivora-cli --help'"},
        {{"--info"}, 2, "--info needs at least one file"},
        {{"--info", "--bogus", x}, 2, "unknown option '--bogus'"},
        {{"--transcode", x}, 2, "needs an input and an output file"},
        {{"--transcode", x, out, "y.jpg"}, 2, "needs an input and an output file"},
        {{"--transcode", x, out, "--frobnicate"}, 2, "unknown option '--frobnicate'"},
        {{"--transcode", x, out, "--transform", "rotate 45"}, 2, "unknown transform 'rotate 45'"},
        {{"--transcode", x, out, "--copy", "some"}, 2, "unknown --copy value 'some'"},
        {{"--transcode", x, out, "--transform"}, 2, "pivora-cli: --transform needs a name: rotate 90,"},
        {{"--transcode", x, out, "--copy"}, 2, "pivora-cli: --copy needs one of: none, comments, all\n"},
        {{x, "--help"}, 0, "--jobs N"},
        {{"-h"}, 0, "--transcode IN OUT"},
        {{"--", "--backup"}, 1, "pivora-cli: not a file or folder: --backup\n"},
        {{"--info", "--", "--tags"}, 1, "pivora-cli: --tags: "},  // a file of that name, which is not there
    };
    for (const auto& c : cases) {
        const clitest::CliRun run = runCli(c.args);
        EXPECT_EQ(run.status, c.status) << c.says;
        EXPECT_NE((run.out + run.err).find(c.says), std::string::npos) << run.out << run.err;
        EXPECT_EQ(run.err.find("Try 'pivora-cli --help'") != std::string::npos, c.status == 2) << c.says;
    }
    EXPECT_EQ(readFile(x), original);
    EXPECT_EQ(listFolder(dir.path()), Names{"x.jpg"});
}

// A dry run reads headers only: a photo whose picture data is damaged would be turned, as far as
// it can tell, and says so; it takes no backup, settles no stray file, changes no time. The real
// run after it finds the damage and settles the stray, which shows both were there to be found.
TEST(CliRotate, DryRunSaysWhatWouldBeDoneFromTheHeadersAndChangesNothing) {
    TempDir dir;
    const Bytes good = photo(5), whole = photo(6);
    // Cut in the middle of the picture data, behind its last scan header (the thumbnail's lies before it).
    size_t scan = whole.size() - 2;
    while (scan > 0 && !(whole[scan] == 0xFF && whole[scan + 1] == 0xDA)) --scan;
    const Bytes damaged(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(scan + (whole.size() - scan) / 2));
    writeFile(dir.file("a.jpg"), good);
    writeFile(dir.file("broken.jpg"), damaged);
    writeFile(dir.file("notes.jpg"), {'h', 'i'});
    writeFile(dir.file(platform::newPendingName("a.jpg", platform::PendingKind::Rewrite)), good);
    for (const char* name : {"a.jpg", "broken.jpg", "notes.jpg"}) ASSERT_TRUE(platform::setFileTimes(dir.file(name), kOldTimes));
    const Names before = listFolder(dir.path());
    ::sleep(1);  // the stray older than the runs below, on any file system's clock

    const clitest::CliRun run = runCli({"--dry-run", "--backup", "--turn", "rotate 90", dir.path()});
    EXPECT_EQ(run.status, 1) << run.err;
    const std::string headersOnly = "A dry run reads each photo's header only: damaged picture data is found only by the turn itself";
    EXPECT_EQ(linesOf(run.out), (Names{"File " + dir.file("a.jpg") + " would be turned: rotate 90",
                                       "File " + dir.file("broken.jpg") + " would be turned: rotate 90",
                                       "File " + dir.file("notes.jpg") + " would be refused: not a JPEG file",
                                       "3 files read, of which 2 files would be rotated", headersOnly}));
    // The times first: the test's own reads may move the access times.
    for (const char* name : {"a.jpg", "broken.jpg", "notes.jpg"}) EXPECT_TRUE(hasTimes(dir.file(name), kOldTimes)) << name;
    EXPECT_EQ(listFolder(dir.path()), before);
    EXPECT_EQ(readFile(dir.file("a.jpg")), good);
    EXPECT_EQ(readFile(dir.file("broken.jpg")), damaged);

    const clitest::CliRun upright = runCli({"--dry-run", "--auto", dir.file("a.jpg")});
    EXPECT_EQ(upright.out, "File " + dir.file("a.jpg") + " would be left as it is: already upright\n" + headersOnly + "\n");

    const clitest::CliRun real = runCli({"--turn", "rotate 90", dir.path()});
    EXPECT_NE(real.out.find("File " + dir.file("broken.jpg") + " could not be rotated: damaged picture data"), std::string::npos)
        << real.out;
    EXPECT_EQ(listFolder(dir.path()), (Names{"a.jpg", "broken.jpg", "notes.jpg"})) << "the stray settled";
}

// Every turn by its name. A picture of 100 x 60 pixels in 4:2:0 (16-pixel blocks) has a partial
// block at its right and at its bottom edge: each turn that moves one of them to the other side
// drops it and says so, and with --perfect is refused untouched for it instead, in the dry run as
// in the run. A file named alone gets its line without a summary; --keep-times keeps its times.
TEST(CliRotate, EachNamedTurnIsDoneAndATurnThatDropsAnEdgeStripSaysSoAndPerfectRefusesIt) {
    TempDir dir;
    using K = TransformKind;
    CameraPhotoSpec recipe;
    recipe.width = 100;
    recipe.height = 60;
    const Bytes original = makeCameraPhoto(recipe).jpeg;
    const std::string x = dir.file("x.jpg");
    const std::string rows = "12 rows at the bottom were dropped: the height is not a whole number of 16-pixel blocks";
    const std::string columns = "4 columns at the right were dropped: the width is not a whole number of 16-pixel blocks";
    const struct {
        K kind;
        std::string strip;  // as the run says it
    } cases[] = {
        {K::None, ""}, {K::Transpose, ""}, {K::FlipHorizontal, columns}, {K::FlipVertical, rows},
        {K::Rotate90, rows}, {K::Rotate270, columns}, {K::Rotate180, rows + "; " + columns},
        {K::Transverse, rows + "; " + columns},
    };
    const auto foreseen = [](std::string text) {
        for (size_t at; (at = text.find(" were ")) != std::string::npos;) text.replace(at, 6, " would be ");
        return text;
    };
    for (const auto& c : cases) {
        const std::string name = turnName(c.kind);
        SCOPED_TRACE(name);
        const std::string done = c.kind == K::None ? " is already upright and was left as it was" : " successfully rotated";
        writeFile(x, original);
        ASSERT_TRUE(platform::setFileTimes(x, kOldTimes));
        clitest::CliRun run = runCli({"--keep-times", "--turn", name, x});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "File " + x + done + (c.strip.empty() ? "" : " (" + c.strip + ")") + "\n");
        expectSameImage(readFile(x), transformInMemory(original, c.kind, true));
        EXPECT_TRUE(hasTimes(x, kOldTimes, false));

        writeFile(x, original);
        run = runCli({"--perfect", "--turn", name, x});
        if (c.strip.empty()) {
            EXPECT_EQ(run.out, "File " + x + done + "\n");
            continue;
        }
        const std::string refused = "the turn would drop an edge strip (" + foreseen(c.strip) + ")";
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "File " + x + " could not be rotated: " + refused + "\n");
        EXPECT_EQ(readFile(x), original);
        run = runCli({"--perfect", "--dry-run", "--turn", name, x});
        EXPECT_EQ(linesOf(run.out).at(0), "File " + x + " would be refused: " + refused);
    }
}

// What a run says, in the console's words: "@" in an argument stands for the row's folder. Names
// are printed safely: each result takes one line and no byte of a name reaches the terminal as a
// command. Lines are compared sorted, since a folder lists its files in any order.
TEST(CliRotate, MessagesSayWhatEachRunFoundWithEveryNameOnOneLine) {
    const Bytes turnable = photo(6), notJpeg = {'h', 'i'};
    // A line feed, the escape of a colour command, a backslash, a byte that is not UTF-8 and the
    // C1 control CSI written in UTF-8.
    const std::string odd = "a\nb\x1b[31m\\\xE9\xC2\x9B.jpg", oddShown = "a\\nb\\x1b[31m\\\\\\xe9\\xc2\\x9b.jpg";
    const struct {
        std::vector<std::pair<std::string, Bytes>> files;
        std::vector<std::string> args;
        Names out;  // "@" for the folder
        std::string err;
        int status;
    } cases[] = {
        {{{"notes.txt", notJpeg}}, {"@"}, {"No JPEG files found in @"}, "", 0},
        {{{odd, turnable}}, {"@/" + odd}, {"File @/" + oddShown + " successfully rotated"}, "", 0},
        {{{odd, notJpeg}}, {"@/" + odd}, {"File @/" + oddShown + " could not be rotated: not a JPEG file"},
         "", 1},
        {{}, {"@/" + odd}, {}, "pivora-cli: not a file or folder: @/" + oddShown + "\n", 1},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const auto inFolder = [&](std::string text) {
            for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, dir.path());
            return text;
        };
        for (const auto& [name, bytes] : c.files) writeFile(dir.file(name), bytes);
        std::vector<std::string> args;
        for (const std::string& arg : c.args) args.push_back(inFolder(arg));
        const clitest::CliRun run = runCli(args);
        Names expected, lines = linesOf(run.out);
        for (const std::string& line : c.out) expected.push_back(inFolder(line));
        std::sort(expected.begin(), expected.end());
        std::sort(lines.begin(), lines.end());
        EXPECT_EQ(lines, expected) << run.out;
        EXPECT_EQ(run.err, inFolder(c.err));
        EXPECT_EQ(run.status, c.status) << run.out;
    }
}

// A photo whose turned file would pass the process's file size limit is refused and left as it
// was; the photos after it are still turned.
TEST(CliRotate, AFileSizeLimitRefusesThePhotoThatWouldPassItAndTheRunGoesOn) {
    TempDir dir;
    const Bytes big = photo(7, 1024), small = photo(8);
    ASSERT_GT(big.size(), 4 * small.size());
    writeFile(dir.file("big.jpg"), big);
    for (const char* name : {"s1.jpg", "s2.jpg", "s3.jpg"}) writeFile(dir.file(name), small);
    const rlim_t limit = 2 * small.size();
    const clitest::CliRun run = clitest::Cli({"--jobs", "1", dir.path()}, {}, [limit] {
                                    rlimit size{limit, limit};
                                    std::signal(SIGXFSZ, SIG_DFL);
                                    if (::setrlimit(RLIMIT_FSIZE, &size) != 0) ::_exit(120);
                                }).finish();
    EXPECT_EQ(run.status, 1) << run.err;
    Names lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 5u) << run.out;
    EXPECT_EQ(lines.back(), "4 files read, of which 3 files successfully rotated");
    const std::string refused = "File " + dir.file("big.jpg") + " could not be rotated: the turned file could not be written (";
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
                  return line.rfind(refused, 0) == 0 && line.find("File too large)") != std::string::npos;
              }), 1) << run.out;
    EXPECT_EQ(readFile(dir.file("big.jpg")), big);
    for (const char* name : {"s1.jpg", "s2.jpg", "s3.jpg"}) expectSameImage(readFile(dir.file(name)), turned(small));
    EXPECT_EQ(listFolder(dir.path()), (Names{"big.jpg", "s1.jpg", "s2.jpg", "s3.jpg"}));
}

// Standard output a pipe that nobody reads: the first result line cannot be written, so the run
// starts no further photo and ends without a word, not by SIGPIPE.
TEST(CliRotate, AClosedOutputEndsTheRunQuietlyWithEveryPhotoWhole) {
    TempDir dir;
    std::vector<Bytes> originals;
    auto path = [&](size_t i) { return dir.file("p" + std::to_string(i) + ".jpg"); };
    for (std::uint32_t i = 0; i < 30; ++i) writeFile(path(i), originals.emplace_back(photo(i)));
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ::close(pipeEnds[0]);  // no reader at all
    const clitest::CliRun run = clitest::Cli({"--jobs", "1", dir.path()}, {}, [&] {
                                    if (::dup2(pipeEnds[1], 1) < 0) ::_exit(120);
                                }).finish();
    ::close(pipeEnds[1]);
    EXPECT_EQ(run.status, 1) << "the run was cut short";
    EXPECT_EQ(run.err, "");
    int replaced = 0;
    for (size_t i = 0; i < 30; ++i) {
        if (readFile(path(i)) == originals[i]) continue;
        ++replaced;
        expectSameImage(readFile(path(i)), turned(originals[i]));
    }
    EXPECT_LE(replaced, 2) << "the photo whose line failed, and at most the one in hand";
    EXPECT_EQ(listFolder(dir.path()).size(), 30u);
}

// On a terminal the progress takes one line of standard error, rewritten in place, never wider
// than the terminal (the path cut at its start) and cleared at the end; standard output holds the
// result lines alone.
TEST(CliRotate, OnATerminalOneStatusLineShowsTheProgress) {
    TempDir dir;
    for (std::uint32_t i = 0; i < 5; ++i) writeFile(dir.file("p" + std::to_string(i) + ".jpg"), photo(i));
    int terminal = -1, side = -1;
    winsize size{};
    size.ws_col = 50;
    size.ws_row = 24;
    ASSERT_EQ(::openpty(&terminal, &side, nullptr, nullptr, &size), 0);
    clitest::Cli cli({"--jobs", "1", dir.path()}, {}, [&] {
        if (::dup2(side, 2) < 0) ::_exit(120);
        ::close(side);
        ::close(terminal);
    });
    ::close(side);
    std::string shown;
    pollfd waiting{terminal, POLLIN, 0};
    for (char bytes[4096]; ::poll(&waiting, 1, 60000) > 0;) {
        const ssize_t got = ::read(terminal, bytes, sizeof bytes);
        if (got <= 0) break;  // the program has ended: its side of the terminal is closed
        shown.append(bytes, static_cast<size_t>(got));
    }
    ::close(terminal);
    const clitest::CliRun run = cli.finish();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(linesOf(run.out).size(), 6u) << run.out;
    EXPECT_EQ(shown.find('\n'), std::string::npos) << "no line of its own";
    EXPECT_TRUE(std::regex_search(shown, std::regex{"\r[1-4] of 5, about [0-9]+ seconds? left: (\\.\\.\\.)?[^\r]*/p[0-4]\\.jpg"}))
        << shown;
    std::istringstream rewrites(shown);
    for (std::string text; std::getline(rewrites, text, '\r');) EXPECT_LE(text.size(), 49u) << text;
    EXPECT_TRUE(std::regex_search(shown, std::regex{"\r +\r$"})) << "cleared at the end: " << shown;
}

}  // namespace

// pivora-cli --transcode as a user runs it: exit status, files, and what it prints.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"

namespace {

using testsupport::Bytes;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string contentOf(const std::string& path) {
    Bytes bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// Runs the built pivora-cli with `args` (no shell: names with spaces stay one argument),
// in `workDir` when one is given.
CliRun runCli(const std::vector<std::string>& args, const std::string& workDir = "") {
    TempDir streams;
    std::string outPath = streams.file("out"), errPath = streams.file("err");
    pid_t pid = ::fork();
    if (pid == 0) {
        int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
        if (!workDir.empty() && ::chdir(workDir.c_str()) != 0) ::_exit(126);
        std::vector<char*> argv{const_cast<char*>(PIVORA_CLI_PATH)};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(PIVORA_CLI_PATH, argv.data());
        ::_exit(127);
    }
    CliRun run;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
    run.out = contentOf(outPath);
    run.err = contentOf(errPath);
    return run;
}

Bytes photo() {
    testsupport::JpegSpec spec;
    spec.width = 48;
    spec.height = 32;
    spec.markers = {{0xFE, Bytes{'n', 'o', 't', 'e'}}, {0xE1, Bytes{'E', 'x', 'i', 'f', 0, 0}}};
    return testsupport::makeJpeg(spec);
}

bool hasMarker(const Bytes& jpeg, int code) {
    for (const auto& marker : testsupport::listMarkers(jpeg))
        if (marker.code == code) return true;
    return false;
}

class CliTranscode : public ::testing::Test {
protected:
    void SetUp() override { writeFile(in(), source); }
    std::string in() const { return dir.file("in.jpg"); }
    std::string out() const { return dir.file("out.jpg"); }
    TempDir dir;
    Bytes source = photo();
};

TEST_F(CliTranscode, DefaultIsRotate270WithEveryMarkerAndTheInputKept) {
    CliRun run = runCli({"--transcode", in(), out()});
    ASSERT_EQ(run.status, 0) << run.err;
    testsupport::JpegCoefficients result = testsupport::readCoefficients(readFile(out()));
    EXPECT_EQ(result.width, 32);
    EXPECT_EQ(result.height, 48);
    EXPECT_TRUE(hasMarker(readFile(out()), 0xFE));
    EXPECT_TRUE(hasMarker(readFile(out()), 0xE1));
    EXPECT_EQ(readFile(in()), source);
}

TEST_F(CliTranscode, OptionsReachTheTranscoder) {
    CliRun run = runCli({"--transcode", in(), out(), "--transform", "flip horizontal", "--gray", "--copy", "comments"});
    ASSERT_EQ(run.status, 0) << run.err;
    Bytes result = readFile(out());
    testsupport::JpegCoefficients coefficients = testsupport::readCoefficients(result);
    EXPECT_EQ(coefficients.width, 48);
    EXPECT_EQ(coefficients.components.size(), 1u);
    EXPECT_TRUE(hasMarker(result, 0xFE));
    EXPECT_FALSE(hasMarker(result, 0xE1));

    run = runCli({"--transcode", "--copy", "none", "--transform", "Rotate 90", "--trim", in(), out()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(testsupport::readCoefficients(readFile(out())).width, 32);
    EXPECT_FALSE(hasMarker(readFile(out()), 0xFE));
}

TEST_F(CliTranscode, InPlaceKeepsABackup) {
    CliRun run = runCli({"--transcode", in(), in(), "--transform", "rotate 180"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(in() + ".bak"), source);
}

TEST_F(CliTranscode, UsageErrorsExitWith2AndChangeNothing) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--transcode"},
        {"--transcode", in()},
        {"--transcode", in(), out(), dir.file("third.jpg")},
        {"--transcode", in(), out(), "--frobnicate"},
        {"--transcode", in(), out(), "--transform", "rotate 45"},
        {"--transcode", in(), out(), "--transform"},
        {"--transcode", in(), out(), "--copy", "some"},
        {"--transcode", in(), out(), "--copy"},
    };
    for (const auto& args : wrong) {
        CliRun run = runCli(args);
        EXPECT_EQ(run.status, 2) << args.back();
        EXPECT_NE(run.err.find("pivora-cli --help"), std::string::npos) << run.err;
    }
    EXPECT_EQ(testsupport::listFolder(dir.path()), std::vector<std::string>{"in.jpg"});
}

TEST_F(CliTranscode, FailureExitsWith1) {
    CliRun missing = runCli({"--transcode", dir.file("missing.jpg"), out()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Pivora: can't open " + dir.file("missing.jpg") + "\n");

    writeFile(dir.file("text.jpg"), Bytes{'n', 'o', 'p', 'e'});
    CliRun notJpeg = runCli({"--transcode", dir.file("text.jpg"), dir.file("text.jpg")});
    EXPECT_EQ(notJpeg.status, 1);
    EXPECT_NE(notJpeg.err.find("Not a JPEG file"), std::string::npos) << notJpeg.err;
    EXPECT_EQ(testsupport::listFolder(dir.path()), (std::vector<std::string>{"in.jpg", "text.jpg"}));
}

TEST_F(CliTranscode, PathsBeginningWithADashAfterTheSeparator) {
    writeFile(dir.file("-in.jpg"), source);
    CliRun run = runCli({"--transcode", "--transform", "none", "--", "-in.jpg", "-out.jpg"}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(testsupport::fileExists(dir.file("-out.jpg")));
}

TEST(CliGeneral, HelpAndVersion) {
    CliRun help = runCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--transcode IN OUT"), std::string::npos);
    EXPECT_NE(help.out.find("flip horizontal"), std::string::npos);
    CliRun version = runCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("pivora-cli ", 0), 0u) << version.out;
}

}  // namespace

// pivora-cli --dry-run --json and --apply: a run's plan printed as lines, edited, and applied.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>

#include <map>

#include "platform/pending_file.h"
#include "tests/cli_process.h"
#include "tests/support/camera_photo.h"
#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;
using clitest::linesOf;
using clitest::runCli;

Bytes photo(std::uint32_t seed, int orientation) { return clitest::photo(seed, 64, orientation); }

// The same photos in two folders: one for the plain run, one for the plan.
struct TwoFolders {
    void place(const std::map<std::string, Bytes>& photos) {
        for (const TempDir* dir : {&plain, &planned})
            for (const auto& [name, bytes] : photos) writeFile(dir->file(name), bytes);
    }
    // A plan file beside the photos: no folder run takes it.
    std::string plan(const std::string& text) const {
        writeFile(planned.file("plan.txt"), Bytes(text.begin(), text.end()));
        return planned.file("plan.txt");
    }
    TempDir plain, planned;
};

clitest::CliRun withInput(const std::vector<std::string>& args, const std::string& inputFile) {
    return clitest::Cli(args, {}, [&] {
               const int in = ::open(inputFile.c_str(), O_RDONLY);
               if (in < 0 || ::dup2(in, 0) < 0) ::_exit(120);
           }).finish();
}

// The plan of a dry run, applied, makes the files the run itself makes, byte for byte, whatever
// the photo's tag or name; a line whose turn was edited is turned as it now says.
TEST(CliPlan, ADryRunsPlanAppliedTurnsAsTheRunAndAnEditedLineAsItSays) {
    const std::string odd = "n\xE9.jpg";  // a name that is not UTF-8
    const std::map<std::string, Bytes> photos = {{"o1.jpg", photo(1, 1)}, {"o3.jpg", photo(3, 3)}, {"o6.jpg", photo(6, 6)},
                                                 {"plain.jpg", photo(9, 0)}, {odd, photo(8, 8)},
                                                 {"notes.jpg", {'h', 'i'}}};
    TwoFolders folders;
    folders.place(photos);
    const clitest::CliRun dry = runCli({"--auto", "--dry-run", "--json", folders.planned.path()});
    EXPECT_EQ(dry.status, 1) << "notes.jpg would be refused";
    EXPECT_EQ(dry.err, "");
    const std::vector<std::string> lines = linesOf(dry.out);
    ASSERT_EQ(lines.size(), photos.size()) << dry.out;
    std::map<std::string, nlohmann::json> byName;
    for (const std::string& line : lines) {
        const nlohmann::json object = nlohmann::json::parse(line, nullptr, false);
        if (object.is_discarded()) {  // the library reads no lone surrogate: the name that is not UTF-8
            EXPECT_NE(line.find("/n\\udce9.jpg\",\"turn\":\"none\",\"upright\":true,\"reason\":\"orientation 8\""),
                      std::string::npos) << line;
            continue;
        }
        byName[platform::baseNameOf(object["path"].get<std::string>())] = object;
    }
    EXPECT_EQ(byName["o6.jpg"], nlohmann::json::parse(R"({"path":")" + folders.planned.file("o6.jpg") +
                                                      R"(","turn":"none","upright":true,"reason":"orientation 6",
        "orientation":6,"stored":"rotate 90","edgeStrip":null,"refusal":null,"outcome":"turn"})"));
    EXPECT_EQ(byName["o1.jpg"]["outcome"], "leave");
    EXPECT_EQ(byName["plain.jpg"]["orientation"], 0);
    EXPECT_EQ(byName["notes.jpg"]["refusal"], nlohmann::json::parse(R"({"reason":"not a JPEG file","detail":""})"));
    EXPECT_EQ(byName["notes.jpg"]["outcome"], "refuse");

    const std::string plan = folders.plan(dry.out);
    EXPECT_EQ(runCli({"--apply", plan}).status, 1);
    EXPECT_EQ(runCli({"--auto", folders.plain.path()}).status, 1);
    for (const auto& [name, bytes] : photos) {
        EXPECT_EQ(readFile(folders.planned.file(name)), readFile(folders.plain.file(name))) << name;
        const bool turned = name != "o1.jpg" && name != "plain.jpg" && name != "notes.jpg";
        EXPECT_EQ(readFile(folders.plain.file(name)) != bytes, turned) << name;
    }

    // o1 a quarter turn clockwise instead, read from standard input; the other lines as they were.
    folders.place(photos);
    std::string edited = dry.out;
    const std::string left = "\"" + folders.planned.file("o1.jpg") + "\",\"turn\":\"none\"";
    ASSERT_NE(edited.find(left), std::string::npos);
    edited.replace(edited.find(left), left.size(), "\"" + folders.planned.file("o1.jpg") + "\",\"turn\":\"Rotate 90\"");
    const clitest::CliRun applied = withInput({"--apply", "-"}, folders.plan(edited));
    EXPECT_EQ(applied.status, 1) << applied.err;
    EXPECT_NE(applied.out.find("File " + folders.planned.file("o1.jpg") + " successfully rotated\n"), std::string::npos);
    EXPECT_NE(applied.out.find("6 files read, of which 4 files successfully rotated"), std::string::npos) << applied.out;
    EXPECT_EQ(runCli({"--auto", folders.plain.path()}).status, 1);  // o1 is left as it is
    EXPECT_EQ(runCli({"--turn", "rotate 90", folders.plain.file("o1.jpg")}).status, 0);
    for (const auto& [name, bytes] : photos)
        EXPECT_EQ(readFile(folders.planned.file(name)), readFile(folders.plain.file(name))) << name;
}

// A plan with a line that cannot be read is a usage error that names the line; no photo of it is
// turned, not even those of the lines before.
TEST(CliPlan, ALineThatCannotBeReadIsNamedAndNothingIsTurned) {
    TempDir dir;
    const Bytes original = photo(2, 1);
    const std::string a = dir.file("a.jpg");
    writeFile(a, original);
    const std::string first = R"({"path":")" + a + R"(","turn":"rotate 90","upright":false})";
    const struct {
        std::string rest;  // the lines behind the first, which names a.jpg
        std::string says;
    } cases[] = {
        {"not json", "plan line 2: not a JSON object"},
        {"[1, 2]", "plan line 2: not a JSON object"},
        {R"({"path":)", "plan line 2: not a JSON object"},
        {"\n  \n" R"({"turn":"none","upright":false})", "plan line 4: no path"},
        {R"({"path":"a\u0000.jpg","turn":"none","upright":false})", "plan line 2: no path"},
        {R"({"path":"b.jpg","turn":"rotate 45","upright":false})", "plan line 2: unknown turn 'rotate 45' (one of: rotate 90,"},
        {R"({"path":"b.jpg","upright":false})", "plan line 2: no turn"},
        {R"({"path":"b.jpg","turn":"none","upright":"yes"})", "plan line 2: no upright (true or false)"},
        {R"({"path":")" + dir.file("./a.jpg") + R"(","turn":"none","upright":false})",
         "plan line 2: the photo of plan line 1 again"},
        {std::string(300 * 1024, ' '), "plan line 2: longer than 262144 bytes"},
    };
    for (const auto& c : cases) {
        const std::string text = first + "\n" + c.rest + "\n";
        writeFile(dir.file("plan.txt"), Bytes(text.begin(), text.end()));
        const clitest::CliRun run = runCli({"--apply", dir.file("plan.txt")});
        EXPECT_EQ(run.status, 2) << c.says;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("pivora-cli: " + c.says, 0), 0u) << run.err;
        EXPECT_NE(run.err.find("; nothing was turned\nTry 'pivora-cli --help'"), std::string::npos) << run.err;
        EXPECT_EQ(readFile(a), original);
    }
}

}  // namespace

#pragma once
// The built pivora-cli as a child process: started without a shell, its output streams caught
// in files, waited for or signalled.

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/camera_photo.h"
#include "tests/support/child_run.h"

namespace clitest {

struct CliRun {
    int status = -1;  // exit status; -1 when it did not exit normally (a signal ended it)
    std::string out, err;
};

// A running pivora-cli with `env` ("NAME=value") added; finish() waits and collects what it printed.
// Its journal and its Trash are its own (XDG_STATE_HOME and XDG_DATA_HOME in its private folder)
// unless `env` names others.
// `inChild`, when given, runs in the child just before the program starts, its streams already
// in their files: to put one elsewhere (a pipe, a terminal) or to limit the process.
struct Cli {
    explicit Cli(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                 const std::function<void()>& inChild = nullptr)
        : child([&] {
              ::setenv("XDG_STATE_HOME", home.file("state").c_str(), 1);
              ::setenv("XDG_DATA_HOME", home.file("data").c_str(), 1);
              for (const std::string& setting : env) ::putenv(const_cast<char*>(setting.c_str()));
              if (inChild) inChild();
              std::vector<char*> argv{const_cast<char*>(PIVORA_CLI_PATH)};
              for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
              argv.push_back(nullptr);
              ::execv(PIVORA_CLI_PATH, argv.data());
              return 127;
          }),
          pid(child.pid) {}
    CliRun finish() const {
        const testsupport::ChildOutcome outcome = child.finish();
        return {outcome.exitCode, outcome.output, outcome.errors};
    }

    const testsupport::TempDir home;  // made before the fork: both processes know it
    const testsupport::Child child;
    const pid_t pid;
};

// What a run printed, a line each.
inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A camera photo taken on 2008:05:17 14:30:00 (every date tag); orientation 0: no Exif block at all.
inline testsupport::Bytes photo(std::uint32_t seed, int width = 64, int orientation = 1) {
    testsupport::CameraPhotoSpec recipe;
    recipe.seed = seed;
    recipe.width = width;
    recipe.dateText = "2008:05:17 14:30:00";
    recipe.withExif = orientation != 0;
    recipe.orientation = orientation;
    return testsupport::makeCameraPhoto(recipe).jpeg;
}

inline CliRun runCli(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
    return Cli(args, env).finish();
}

}  // namespace clitest

#pragma once
// The built pivora-cli as a child process: started without a shell, its output streams caught
// in files, waited for or killed.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/files.h"

namespace clitest {

struct CliRun {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

inline std::string textOf(const std::string& path) {
    std::vector<std::uint8_t> bytes = testsupport::readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// Starts pivora-cli with `args`, standard output and error going to the files named.
inline pid_t startCli(const std::vector<std::string>& args, const std::string& outPath, const std::string& errPath) {
    pid_t pid = ::fork();
    if (pid == 0) {
        int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
        std::vector<char*> argv{const_cast<char*>(PIVORA_CLI_PATH)};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(PIVORA_CLI_PATH, argv.data());
        ::_exit(127);
    }
    return pid;
}

// Waits for a child started by startCli and collects what it printed.
inline CliRun finishCli(pid_t pid, const std::string& outPath, const std::string& errPath) {
    CliRun run;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
    run.out = textOf(outPath);
    run.err = textOf(errPath);
    return run;
}

inline CliRun runCli(const std::vector<std::string>& args) {
    testsupport::TempDir streams;
    std::string out = streams.file("out"), err = streams.file("err");
    return finishCli(startCli(args, out, err), out, err);
}

}  // namespace clitest

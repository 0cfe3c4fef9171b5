#pragma once
// Test work in a forked child: for the faults that change the process itself (a file size limit
// as a full disk, a user without privileges, a seccomp filter), and for the programs the tests
// start (pivora-cli, the tools that make a volume).

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <string>

#include "tests/support/files.h"

namespace testsupport {

// Folder permissions do not stop root, so a child gives its privileges away first (to nobody).
inline bool becomeUnprivileged() {
    return ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0);
}

// What a child gave: its exit status (-1 when it did not exit normally: a signal ended it) and
// what it wrote to its standard error and output.
struct ChildOutcome {
    int exitCode = -1;
    std::string errors, output;
};

// A forked child that runs `body` with its standard output and error in files of its own and
// exits with what the body returns (a body that starts a program returns only where it cannot);
// finish() waits for it and collects what it wrote.
class Child {
public:
    explicit Child(const std::function<int()>& body) : pid(start(body)) {}
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    ChildOutcome finish() const {
        ChildOutcome outcome;
        int status = 0;
        if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
        outcome.errors = written("err");
        outcome.output = written("out");
        return outcome;
    }

private:
    pid_t start(const std::function<int()>& body) const {
        std::fflush(nullptr);  // what the test has buffered is not written twice
        const pid_t child = ::fork();
        if (child != 0) return child;
        const int out = ::open(streams_.file("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(streams_.file("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
        const int result = body();
        std::fflush(nullptr);
        ::_exit(result);
    }
    // What the child wrote to `stream`: nothing when it was ended before it began.
    std::string written(const char* stream) const {
        const std::string path = streams_.file(stream);
        const std::vector<std::uint8_t> bytes = fileExists(path) ? readFile(path) : std::vector<std::uint8_t>{};
        return {bytes.begin(), bytes.end()};
    }

    const TempDir streams_;  // made before the fork: both processes know it

public:
    const pid_t pid;
};

// Runs `body` in a forked child whose files may grow to `fileSizeLimit` bytes at most.
inline ChildOutcome runInChild(const std::function<int()>& body, rlim_t fileSizeLimit = RLIM_INFINITY) {
    return Child([&] {
               const rlimit limit{fileSizeLimit, fileSizeLimit};
               std::signal(SIGXFSZ, SIG_IGN);
               return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? body() : 120;
           }).finish();
}

}  // namespace testsupport

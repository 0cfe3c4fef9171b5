#pragma once
// Test work in a forked child, for the faults that change the process itself: a file size limit
// (a full disk) or a user without privileges.

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

// What a child run gave: the body's result (-1 when the child did not exit normally) and what it
// wrote to standard error.
struct ChildOutcome {
    int exitCode = -1;
    std::string errors;
};

// Runs `body` in a forked child whose files may grow to `fileSizeLimit` bytes at most.
inline ChildOutcome runInChild(const std::function<int()>& body, rlim_t fileSizeLimit = RLIM_INFINITY) {
    TempDir streams;
    std::fflush(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
        int fd = ::open(streams.file("errors").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        rlimit limit{fileSizeLimit, fileSizeLimit};
        std::signal(SIGXFSZ, SIG_IGN);
        if (fd < 0 || ::dup2(fd, 2) < 0 || ::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(120);
        int result = body();
        std::fflush(nullptr);
        ::_exit(result);
    }
    ChildOutcome outcome;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
    const std::vector<std::uint8_t> errors = readFile(streams.file("errors"));
    outcome.errors.assign(errors.begin(), errors.end());
    return outcome;
}

}  // namespace testsupport

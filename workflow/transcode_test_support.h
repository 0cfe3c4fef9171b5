#pragma once
// Shared by the transcoder's tests: one transcoding from bytes to bytes through real files,
// a captured standard error stream, and a run of the transcoder in a child process for the
// faults that change the process itself (file size limit, dropped privileges).

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"
#include "workflow/transcode_jpeg.h"

namespace transcodetest {

using testsupport::Bytes;

// The output of transcodeJpegWith from `jpeg` with the given kind and marker copy; fails the test on 0.
inline Bytes transcodeBytes(const Bytes& jpeg, TransformKind kind, MarkerCopyOption copy = CopyAll) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("in.jpg"), jpeg);
    TranscodeRequest request;
    request.input = dir.file("in.jpg");
    request.output = dir.file("out.jpg");
    request.kind = kind;
    request.copy = copy;
    EXPECT_EQ(transcodeJpegWith(request), 1);
    return testsupport::fileExists(request.output) ? testsupport::readFile(request.output) : Bytes{};
}

struct ChildOutcome {
    int exitCode = -1;  // the body's result, or -1 when the child did not exit normally
    std::string errors;  // what the child wrote to standard error
};

// Runs `body` in a forked child whose standard error goes to `errorsPath`; the child's exit
// status is the body's result.
inline ChildOutcome runInChild(const std::function<int()>& body, const std::string& errorsPath) {
    std::fflush(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
        int fd = ::open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (fd < 0 || ::dup2(fd, 2) < 0) ::_exit(120);
        int result = body();
        std::fflush(nullptr);
        ::_exit(result);
    }
    ChildOutcome outcome;
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return outcome;
    if (WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
    Bytes errors = testsupport::fileExists(errorsPath) ? testsupport::readFile(errorsPath) : Bytes{};
    outcome.errors.assign(errors.begin(), errors.end());
    return outcome;
}

}  // namespace transcodetest

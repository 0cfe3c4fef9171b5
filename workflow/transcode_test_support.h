#pragma once
// Shared by the workflow's tests: transcoded pictures compared, exact file times, and runs in a
// child process for the faults that change the process itself (file size limit, no privileges).

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <tuple>

#include <gtest/gtest.h>

#include "platform/file_attributes.h"
#include "tests/support/child_run.h"
#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/transform_driver.h"

namespace workflowtest {

using namespace testsupport;
using Names = std::vector<std::string>;

// Same size, quantization tables and coefficients: the same picture whatever the coding.
inline void expectSameImage(const Bytes& actual, const Bytes& expected) {
    JpegCoefficients a = readCoefficients(actual), e = readCoefficients(expected);
    ASSERT_EQ(std::tuple(a.width, a.height, a.components.size()), std::tuple(e.width, e.height, e.components.size()));
    for (size_t c = 0; c < a.components.size(); ++c) EXPECT_TRUE(a.components[c].blocks == e.components[c].blocks) << c;
    EXPECT_TRUE(a.quantTables == e.quantTables);
}

inline Bytes turned(const Bytes& jpeg) { return transformInMemory(jpeg, TransformKind::Rotate270); }

const platform::FileTimes kOldTimes{{1000000000, 123456789}, {1100000000, 987654321}};

// The times of `path` are `want` to the nanosecond; the access time only when `access` is set.
inline bool hasTimes(const std::string& path, const platform::FileTimes& want, bool access = true) {
    struct stat st {};
    auto same = [](const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; };
    return ::stat(path.c_str(), &st) == 0 && (!access || same(st.st_atim, want.access)) &&
           same(st.st_mtim, want.modification);
}

inline mode_t modeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A file the work must fail on: `message` expected on standard error; files may grow to
// `fileSizeLimit` bytes at most; when `locked`, an unprivileged user works in a read-only folder.
struct Fault {
    const char* name;
    Bytes content;
    const char* message = "";
    rlim_t fileSizeLimit = RLIM_INFINITY;
    bool locked = false;
};

// Runs `work` in a child under the fault's conditions; it must report failure with the message.
inline void expectFailure(const Fault& fault, const std::string& folder, const std::function<int()>& work) {
    ASSERT_EQ(::chmod(folder.c_str(), fault.locked ? 0555 : 0755), 0);
    auto body = [&] { return fault.locked && !becomeUnprivileged() ? 99 : work(); };
    ChildOutcome outcome = runInChild(body, fault.fileSizeLimit);
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_NE(outcome.errors.find(fault.message), std::string::npos) << outcome.errors;
}

}  // namespace workflowtest

#include "platform/pending_file.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <gtest/gtest.h>

#include "tests/support/files.h"

using testsupport::listFolder;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

const std::vector<std::uint8_t> kOld = {'o', 'l', 'd'};

TEST(PendingFile, CommitReplacesTargetAndLeavesNothingElse) {
    TempDir dir;
    writeFile(dir.file("photo.jpg"), kOld);
    platform::PendingFile pending;
    std::string error;
    ASSERT_TRUE(pending.open(dir.file("photo.jpg"), &error)) << error;
    EXPECT_EQ(platform::folderOf(pending.temporaryPath()), dir.path());
    std::fputs("new content", pending.stream());
    EXPECT_EQ(readFile(dir.file("photo.jpg")), kOld) << "target must stay untouched until the commit";
    ASSERT_TRUE(pending.commit(&error)) << error;
    auto bytes = readFile(dir.file("photo.jpg"));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "new content");
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"photo.jpg"});
}

TEST(PendingFile, DiscardAndDestructionKeepTargetAndRemoveTemporary) {
    TempDir dir;
    writeFile(dir.file("photo.jpg"), kOld);
    {
        platform::PendingFile pending;
        ASSERT_TRUE(pending.open(dir.file("photo.jpg"), nullptr));
        std::fputs("half", pending.stream());
        EXPECT_EQ(listFolder(dir.path()).size(), 2u);
    }
    EXPECT_EQ(readFile(dir.file("photo.jpg")), kOld);
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"photo.jpg"});
}

TEST(PendingFile, TemporaryIsPrivateAndNamedAfterTarget) {
    TempDir dir;
    platform::PendingFile pending;
    ASSERT_TRUE(pending.open(dir.file("photo.jpg"), nullptr));
    struct stat st;
    ASSERT_EQ(fstat(pending.fd(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(platform::baseNameOf(pending.temporaryPath()).rfind(std::string(".photo.jpg") + platform::kPendingMarker, 0), 0u);
}

TEST(PendingFile, LongNamesStillGetATemporaryName) {
    TempDir dir;
    std::string longName(250, 'a');
    platform::PendingFile pending;
    std::string error;
    ASSERT_TRUE(pending.open(dir.file(longName), &error)) << error;
    ASSERT_TRUE(pending.commit(&error)) << error;
    EXPECT_TRUE(testsupport::fileExists(dir.file(longName)));
}

TEST(PendingFile, MissingFolderFailsWithMessage) {
    platform::PendingFile pending;
    std::string error;
    EXPECT_FALSE(pending.open("/nonexistent-folder-for-pivora/photo.jpg", &error));
    EXPECT_NE(error.find("photo.jpg"), std::string::npos);
    EXPECT_EQ(pending.stream(), nullptr);
}

// A write that hits the file-size limit half way must fail the commit and leave the target alone.
TEST(PendingFile, FullDiskFailsCommitAndKeepsTarget) {
    TempDir dir;
    writeFile(dir.file("photo.jpg"), kOld);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        platform::PendingFile pending;
        if (!pending.open(dir.file("photo.jpg"), nullptr)) _exit(3);
        std::vector<char> big(100000, 'x');
        std::fwrite(big.data(), 1, big.size(), pending.stream());
        _exit(pending.commit(nullptr) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(readFile(dir.file("photo.jpg")), kOld);
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"photo.jpg"});
}

TEST(PathParts, FolderAndBaseName) {
    EXPECT_EQ(platform::folderOf("photo.jpg"), ".");
    EXPECT_EQ(platform::folderOf("/photo.jpg"), "/");
    EXPECT_EQ(platform::folderOf("a/b/photo.jpg"), "a/b");
    EXPECT_EQ(platform::baseNameOf("a/b/photo.jpg"), "photo.jpg");
    EXPECT_EQ(platform::baseNameOf("photo.jpg"), "photo.jpg");
}

}  // namespace

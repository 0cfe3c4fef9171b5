#include "platform/file_replacement.h"

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/xattr.h>

#include <gtest/gtest.h>

#include "tests/support/child_run.h"
#include "tests/support/fat_like_calls.h"
#include "tests/support/files.h"

namespace {

using namespace testsupport;
using platform::ReplaceStatus;
using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

constexpr uid_t kNobody = 65534;
constexpr int kNoFilter = 98;  // a child's answer where the system allows no seccomp filter
const platform::FileTimes kTimes{{1000000000, 123456789}, {1100000000, 987654321}};

// An access ACL that gives `user` read access beside the owner, group and others of `mode`.
std::string aclReadFor(uid_t user, mode_t mode) {
    std::string acl;
    auto put = [&](unsigned value, int bytes) {
        for (int i = 0; i < bytes; ++i) acl += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(2, 4);  // version
    const unsigned entries[][3] = {{0x01, (mode >> 6) & 7, ~0u}, {0x02, 4, user}, {0x04, (mode >> 3) & 7, ~0u},
                                   {0x10, ((mode >> 3) & 7) | 4, ~0u}, {0x20, mode & 7, ~0u}};
    for (const auto& entry : entries) put(entry[0], 2), put(entry[1], 2), put(entry[2], 4);
    return acl;
}

std::string attribute(const std::string& path, const char* name) {
    char value[256];
    ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? "" : std::string(value, static_cast<std::size_t>(size));
}

bool setAttribute(const std::string& path, const char* name, const std::string& value) {
    return ::setxattr(path.c_str(), name, value.data(), value.size(), 0) == 0;
}

struct stat statOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st;
}

// Sets or clears the immutable and append-only marks; false where the file system has none.
bool markFile(const std::string& path, long flags) {
    int fd = ::open(path.c_str(), O_RDONLY);
    bool set = fd >= 0 && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) ::close(fd);
    return set;
}

struct FileReplacement : ::testing::Test {
    void SetUp() override {
        writeFile(photo, original);
        ASSERT_TRUE(platform::setFileTimes(photo, kTimes));
    }
    // replaceFile over the photo as it is now, with `fresh` and the settings given.
    platform::ReplaceOutcome replace(platform::Replacement settings) {
        platform::SourceFile source;
        std::string error;
        if (source.open(photo, &error) != platform::SourceFile::Status::Ok) return {ReplaceStatus::WriteFailed, error};
        settings.target = photo;
        settings.original = &source;
        return platform::replaceFile(settings, fresh.data(), fresh.size());
    }
    TempDir dir;
    const std::string photo = dir.file("photo.jpg"), backup = photo + ".bak";
    const Bytes original{1, 2, 3}, fresh = Bytes(20000, 7);
};

TEST_F(FileReplacement, NewFileKeepsModeOwnerAttributesAndAclAndTheBackupIsTheUntouchedFile) {
    ASSERT_EQ(::chmod(photo.c_str(), 0640), 0);
    const bool attributes = setAttribute(photo, "user.xdg.tags", "holiday") &&
                            setAttribute(photo, "system.posix_acl_access", aclReadFor(kNobody, 0640));
    const struct stat before = statOf(photo);
    platform::Replacement settings;
    settings.keepBackup = settings.setTimes = true;
    settings.times = {{1200000000, 5}, {1300000000, 6}};
    const platform::ReplaceOutcome outcome = replace(settings);
    ASSERT_EQ(outcome.status, ReplaceStatus::Replaced) << outcome.detail;
    EXPECT_FALSE(outcome.earlierBackupKept);
    EXPECT_EQ(readFile(photo), fresh);
    const struct stat after = statOf(photo);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_mtim.tv_nsec, 6);
    EXPECT_EQ(statOf(backup).st_ino, before.st_ino);  // the very file that was read, times and all
    EXPECT_EQ(readFile(backup), original);
    EXPECT_EQ(listFolder(dir.path()), (Names{"photo.jpg", "photo.jpg.bak"}));
    if (!attributes) GTEST_SKIP() << "the file system keeps no user attributes or ACLs here";
    EXPECT_EQ(attribute(photo, "user.xdg.tags"), "holiday");
    EXPECT_EQ(attribute(photo, "system.posix_acl_access"), aclReadFor(kNobody, 0640));
}

// Another program's change between the read and the rename wins: nothing is replaced or left over.
TEST_F(FileReplacement, AChangeMadeMeanwhileIsNeverUndone) {
    const std::string other = dir.file("other");
    const std::pair<const char*, std::function<void()>> edits[] = {
        {"grown", [&] { writeFile(photo, {8, 8, 8, 8}); }},
        {"rewritten at the same size", [&] { writeFile(photo, {8, 8, 8, 8}); }},  // as the row before left it
        {"replaced by another file", [&] { writeFile(other, {8, 8, 8}), ::rename(other.c_str(), photo.c_str()); }},
        {"mode changed", [&] { ::chmod(photo.c_str(), 0600); }},
        {"times changed", [&] { platform::setFileTimes(photo, kTimes); }},
        {"a link put in its place", [&] { ::unlink(photo.c_str()), ::symlink("/dev/null", photo.c_str()); }},
    };
    for (const auto& [name, edit] : edits) {
        SCOPED_TRACE(name);
        platform::Replacement settings;
        settings.keepBackup = true;
        settings.beforeReplace = edit;
        EXPECT_EQ(replace(settings).status, ReplaceStatus::ChangedByOther);
        EXPECT_NE(readFile(photo), fresh);
        EXPECT_EQ(listFolder(dir.path()), Names{"photo.jpg"});
    }
    // A NAME.bak that appears meanwhile stays, and the photo is put back rather than its
    // original left hidden as the only copy.
    ::unlink(photo.c_str());
    writeFile(photo, original);
    platform::Replacement withBackup;
    withBackup.keepBackup = true;
    withBackup.beforeReplace = [&] { writeFile(backup, {8}); };
    EXPECT_EQ(replace(withBackup).status, ReplaceStatus::ChangedByOther);
    EXPECT_EQ(readFile(photo), original);
    EXPECT_EQ(readFile(backup), Bytes{8});
    EXPECT_EQ(listFolder(dir.path()), (Names{"photo.jpg", "photo.jpg.bak"}));
    // Where there was no file, one that appeared meanwhile stays.
    platform::Replacement settings;
    settings.target = dir.file("new.jpg");
    settings.beforeReplace = [&] { writeFile(settings.target, {8}); };
    EXPECT_EQ(platform::replaceFile(settings, fresh.data(), fresh.size()).status, ReplaceStatus::ChangedByOther);
    EXPECT_EQ(readFile(settings.target), Bytes{8});
}

// The protection a user or an administrator put on a photo holds, although the folder would let
// a rename through: the photo is refused untouched.
TEST_F(FileReplacement, RefusesWhatTheUserMayNotChange) {
    struct Case {
        const char* name;
        mode_t mode;
        uid_t owner;
        bool asNobody;
        ReplaceStatus status;
        std::function<bool()> protect = [] { return true; };
        mode_t folderMode = 0777;
    };
    const Case cases[] = {
        {"no write permission bit", 0444, 0, false, ReplaceStatus::NoPermission},
        {"immutable", 0644, 0, false, ReplaceStatus::NoPermission, [&] { return markFile(photo, FS_IMMUTABLE_FL); }},
        {"append-only", 0644, 0, false, ReplaceStatus::NoPermission, [&] { return markFile(photo, FS_APPEND_FL); }},
        {"another user's", 0666, 0, true, ReplaceStatus::AttributesNotKept},
        {"denied by an ACL", 0666, 0, true, ReplaceStatus::NoPermission,
         [&] { return setAttribute(photo, "system.posix_acl_access", aclReadFor(kNobody, 0666)); }},
        {"in a folder that is not writable", 0644, kNobody, true, ReplaceStatus::NoPermission, [] { return true; }, 0555},
    };
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give files away and to mark them";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(::chown(photo.c_str(), c.owner, c.owner), 0);
        ASSERT_EQ(::chmod(photo.c_str(), c.mode), 0);
        if (!c.protect()) {
            std::printf("skipped '%s': the file system refuses it\n", c.name);
            continue;
        }
        ASSERT_EQ(::chmod(dir.path().c_str(), c.folderMode), 0);
        const ChildOutcome child = runInChild([&] {
            if (c.asNobody && !becomeUnprivileged()) return 99;
            platform::Replacement settings;
            settings.keepBackup = true;
            return static_cast<int>(replace(settings).status);
        });
        markFile(photo, 0);
        ::removexattr(photo.c_str(), "system.posix_acl_access");
        ::chmod(dir.path().c_str(), 0700);
        EXPECT_EQ(child.exitCode, static_cast<int>(c.status)) << child.errors;
        EXPECT_EQ(readFile(photo), original);
        EXPECT_EQ(statOf(photo).st_uid, c.owner);
        EXPECT_EQ(listFolder(dir.path()), Names{"photo.jpg"});
    }
}

// Where the file system has no hard links and no rename without replacing (FAT through FUSE),
// the backup is a copy that really becomes NAME.bak, no temporary file stays, and an earlier
// backup is claimed only when there is one.
TEST_F(FileReplacement, WithoutHardLinksTheBackupIsACopyThatTakesItsName) {
    ASSERT_EQ(::chmod(photo.c_str(), 0600), 0);  // as a new file shows it: FAT shows all files alike
    const ChildOutcome child = runInChild([&] {
        if (!refuseCallsAsFat()) return kNoFilter;
        platform::Replacement settings;
        settings.keepBackup = true;
        const platform::ReplaceOutcome first = replace(settings), second = replace(settings);
        std::fprintf(stderr, "%s %s", first.detail.c_str(), second.detail.c_str());
        return first.replaced() && !first.earlierBackupKept && second.replaced() && second.earlierBackupKept ? 0 : 1;
    });
    if (child.exitCode == kNoFilter) GTEST_SKIP() << "this system allows no seccomp filter";
    EXPECT_EQ(child.exitCode, 0) << child.errors;
    EXPECT_EQ(readFile(photo), fresh);
    EXPECT_EQ(readFile(backup), original);
    EXPECT_EQ(listFolder(dir.path()), (Names{"photo.jpg", "photo.jpg.bak"}));
}

// On a file system that has no owners or modes, the new file that already shows what the
// original showed is no reason to refuse; a change that is needed and refused still is.
TEST_F(FileReplacement, OwnerAndModeAreKeptNotForced) {
    struct Case {
        const char* name;
        mode_t mode;
        uid_t owner;
        ReplaceStatus status;
    };
    const Case cases[] = {
        {"the new file shows the same", 0600, ::geteuid(), ReplaceStatus::Replaced},
        {"another mode is needed", 0640, ::geteuid(), ReplaceStatus::AttributesNotKept},
        {"another owner is needed", 0600, kNobody, ReplaceStatus::AttributesNotKept},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.owner != ::geteuid() && ::geteuid() != 0) continue;  // only root gives a file away
        writeFile(photo, original);
        ASSERT_EQ(::chown(photo.c_str(), c.owner, c.owner), 0);
        ASSERT_EQ(::chmod(photo.c_str(), c.mode), 0);
        const ChildOutcome child = runInChild([&] {
            if (!refuseCallsAsFat()) return kNoFilter;
            const platform::ReplaceOutcome outcome = replace({});
            std::fputs(outcome.detail.c_str(), stderr);
            return static_cast<int>(outcome.status);
        });
        if (child.exitCode == kNoFilter) GTEST_SKIP() << "this system allows no seccomp filter";
        EXPECT_EQ(child.exitCode, static_cast<int>(c.status)) << child.errors;
        EXPECT_EQ(readFile(photo), c.status == ReplaceStatus::Replaced ? fresh : original);
        EXPECT_EQ(statOf(photo).st_mode & 07777, c.mode);
        EXPECT_EQ(listFolder(dir.path()), Names{"photo.jpg"});
    }
}

}  // namespace

// Backups on the file systems that SD cards and USB sticks carry, mounted through FUSE as they
// often are: exFAT and FAT have no hard links, no rename without replacing, and no owners or
// modes of their own.

#include <gtest/gtest.h>

#include "platform/file_replacement.h"
#include "platform/status_line.h"
#include "tests/support/camera_photo.h"
#include "tests/support/fuse_volume.h"
#include "workflow/rotate_jpeg_file.h"

namespace {

using namespace testsupport;
using Names = std::vector<std::string>;

// The replacement as pivora-cli --transcode makes it in place with a backup.
platform::ReplaceOutcome replaceWithBackup(const std::string& photo, const Bytes& bytes) {
    platform::SourceFile source;
    std::string error;
    if (source.open(photo, &error) != platform::SourceFile::Status::Ok) return {platform::ReplaceStatus::WriteFailed, error};
    platform::Replacement replacement;
    replacement.target = photo;
    replacement.original = &source;
    replacement.keepBackup = true;
    return platform::replaceFile(replacement, bytes.data(), bytes.size());
}

// The photo turned as a run turns it, with the one switch `option` set.
RotateResult turnWith(const std::string& photo, std::int32_t ProcessingOptions::*option) {
    ProcessingOptions options;
    options.*option = 1;
    platform::SilentStatusLine status;
    return rotatePhoto(photo, options, TurnSettings{}, status);
}

class RemovableVolume : public ::testing::TestWithParam<FuseVolume::Kind> {};

// The backup is made (a copy), holds the original byte for byte, no temporary file stays, an
// earlier backup is claimed only when there was one, and the owner that the new file already has
// is no reason to refuse the photo.
TEST_P(RemovableVolume, TheBackupIsMadeAndOnlyATrueClaimIsMade) {
    FuseVolume volume(GetParam());
    if (!volume.mounted()) GTEST_SKIP() << volume.whyNot();
    const std::string photo = volume.file("photo.jpg"), backup = photo + ".bak";
    const Bytes original = makeCameraPhoto({}).jpeg;
    writeFile(photo, original);
    const RotateResult turned = turnWith(photo, &ProcessingOptions::Backup);
    ASSERT_TRUE(turned.rotated()) << refusalText(turned);
    EXPECT_FALSE(turned.earlierBackupKept);
    EXPECT_EQ(readFile(backup), original);
    EXPECT_NE(readFile(photo), original);
    EXPECT_EQ(listFolder(volume.path()), (Names{"photo.jpg", "photo.jpg.bak"}));

    const Bytes next{1, 2, 3};
    platform::ReplaceOutcome replaced = replaceWithBackup(photo, next);
    EXPECT_TRUE(replaced.replaced() && replaced.earlierBackupKept) << replaced.detail;
    EXPECT_EQ(readFile(backup), original);
    ASSERT_EQ(::unlink(backup.c_str()), 0);
    replaced = replaceWithBackup(photo, original);
    EXPECT_TRUE(replaced.replaced() && !replaced.earlierBackupKept) << replaced.detail;
    EXPECT_EQ(readFile(backup), next);
    EXPECT_EQ(readFile(photo), original);
    EXPECT_EQ(listFolder(volume.path()), (Names{"photo.jpg", "photo.jpg.bak"}));
}

// The original goes to the volume's own Trash, .Trash-$uid at its top, named there relative to it:
// a copy, for there are no hard links.
TEST_P(RemovableVolume, TheTrashIsTheVolumesOwn) {
    FuseVolume volume(GetParam());
    if (!volume.mounted()) GTEST_SKIP() << volume.whyNot();
    TempDir home;
    ::setenv("XDG_DATA_HOME", home.path().c_str(), 1);
    ASSERT_EQ(::mkdir(volume.file("DCIM").c_str(), 0755), 0);
    const std::string photo = volume.file("DCIM/photo.jpg");
    const Bytes original = makeCameraPhoto({}).jpeg;
    writeFile(photo, original);
    const RotateResult turned = turnWith(photo, &ProcessingOptions::TrashOriginal);
    ::unsetenv("XDG_DATA_HOME");
    ASSERT_TRUE(turned.rotated()) << refusalText(turned);
    const std::string trash = volume.file(".Trash-" + std::to_string(::geteuid()));
    EXPECT_EQ(readFile(trash + "/files/photo.jpg"), original);
    const Bytes info = readFile(trash + "/info/photo.jpg.trashinfo");
    EXPECT_EQ(std::string(info.begin(), info.end()).find("[Trash Info]\nPath=DCIM/photo.jpg\nDeletionDate="), 0u);
    EXPECT_EQ(listFolder(volume.file("DCIM")), (Names{"photo.jpg"}));
    EXPECT_FALSE(fileExists(home.file("Trash")));
}

INSTANTIATE_TEST_SUITE_P(Volumes, RemovableVolume, ::testing::Values(FuseVolume::Kind::ExFat, FuseVolume::Kind::Fat),
                         [](const auto& kind) { return kind.param == FuseVolume::Kind::ExFat ? "ExFat" : "Fat"; });

}  // namespace

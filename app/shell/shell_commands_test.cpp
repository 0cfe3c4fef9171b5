#include "app/shell/shell_commands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include <gtest/gtest.h>

#include "app/shell/fake_choosers.h"
#include "app/shell/fake_run_window.h"
#include "app/shell/launch_path.h"
#include "app/shell/options_store.h"
#include "platform/memory_settings_store.h"
#include "platform/recording_message_sink.h"
#include "tests/support/files.h"

namespace shell {
namespace {

using platform::MessageIcon;

std::string cwd() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : "";
}

class ShellCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { before = cwd(); }
    void TearDown() override { ASSERT_EQ(chdir(before.c_str()), 0); }

    ShellCommands commands() {
        FileRotator rotate = [this](const std::string& path, const ProcessingOptions& given,
                                    platform::StatusLine& status) {
            rotated.push_back(path);
            runningDuringRotate = window.running;
            backupSeen = given.Backup;
            status.show("Processing file " + path);
            return failing.count(path) ? 0 : 1;
        };
        return ShellCommands(options, store, messages, window, choosers, rotate, "/home/tester");
    }
    std::string folder(const std::string& name) {
        const std::string path = dir.file(name);
        EXPECT_EQ(mkdir(path.c_str(), 0755), 0);
        return path;
    }
    void touch(const std::string& path) { testsupport::writeFile(path, {0xFF, 0xD8}); }
    std::string storedInitDir() { return store.readText(kSettingsSection, "InitDir", "<absent>"); }
    const std::string& onlyMessage() {
        EXPECT_EQ(messages.messages.size(), 1u);
        static const std::string none;
        return messages.messages.empty() ? none : messages.messages.front().text;
    }

    testsupport::TempDir dir;
    std::string before;
    ProcessingOptions options;
    platform::MemorySettingsStore store;
    platform::RecordingMessageSink messages;
    FakeRunWindow window;
    FakeChoosers choosers;
    std::vector<std::string> rotated;
    std::set<std::string> failing;
    bool runningDuringRotate = false;
    int backupSeen = -1;
};

TEST_F(ShellCommandsTest, OneFileStartsAtHomeFirstAndStoresTheFileFolderWithSeparator) {
    const std::string pics = folder("Pics");
    choosers.fileAnswer = pics + "/x.jpg";
    options.Backup = 1;
    commands().processOneFile();

    EXPECT_EQ(choosers.fileStarts, (std::vector<std::string>{"/home/tester"}));
    EXPECT_EQ(storedInitDir(), pics + "/");
    EXPECT_EQ(rotated, (std::vector<std::string>{pics + "/x.jpg"}));
    EXPECT_TRUE(runningDuringRotate);
    EXPECT_EQ(backupSeen, 1);
    EXPECT_EQ(window.status.texts, (std::vector<std::string>{"Processing file " + pics + "/x.jpg"}));
    EXPECT_EQ(window.begun, 1);
    EXPECT_EQ(window.ended, 1);
    EXPECT_EQ(onlyMessage(), "\n\nFile " + pics + "/x.jpg successfully rotated\n\n");
    EXPECT_EQ(messages.messages.front().icon, MessageIcon::None);

    // The next one-file command starts where the last one left off.
    commands().processOneFile();
    EXPECT_EQ(choosers.fileStarts.back(), pics + "/");
}

TEST_F(ShellCommandsTest, OneFileFailureShowsCouldNotBeRotated) {
    choosers.fileAnswer = "/p/bad.jpg";
    failing.insert("/p/bad.jpg");
    commands().processOneFile();
    EXPECT_EQ(onlyMessage(), "\n\nFile /p/bad.jpg could not be rotated\n\n");
}

TEST_F(ShellCommandsTest, CancelledChoosersStartNoRunAndStoreNoFolder) {
    ShellCommands shell = commands();
    shell.processOneFile();
    shell.processFolder();
    EXPECT_FALSE(store.hasText(kSettingsSection, "InitDir"));
    EXPECT_TRUE(rotated.empty());
    EXPECT_EQ(window.begun, 0);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ShellCommandsTest, FolderRunCountsJpgNamesEntersTheFolderAndStoresItWithoutSeparator) {
    const std::string photos = folder("Photos");
    for (const char* name : {"a.jpg", "b.JPG", "c.jpeg", "notes.txt", "d.jpg"}) touch(photos + "/" + name);
    failing.insert(photos + "/d.jpg");
    choosers.folderAnswer = photos;
    ShellCommands shell = commands();
    shell.processFolder();

    EXPECT_EQ(rotated.size(), 3u);
    EXPECT_EQ(onlyMessage(), "\n\n3 files read, of which 2 files successfully rotated\n\n");
    EXPECT_EQ(storedInitDir(), photos);
    EXPECT_EQ(shell.chosenFolder(), photos);
    EXPECT_EQ(cwd(), photos);
    EXPECT_EQ(window.pumps, 3);
    EXPECT_EQ(window.ended, 1);
    EXPECT_FALSE(window.running);
}

TEST_F(ShellCommandsTest, FolderChooserStartFollowsTheStoredInitDir) {
    const std::string photos = folder("Photos");
    store.writeText(kSettingsSection, "InitDir", photos);
    commands().processFolder();
    store.writeText(kSettingsSection, "InitDir", dir.file("Gone/Photos"));
    commands().processFolder();
    store.writeText(kSettingsSection, "InitDir", dir.file("Gone/Photos/"));
    commands().processFolder();
    EXPECT_EQ(choosers.folderStarts,
              (std::vector<std::string>{photos, dir.file("Gone"), dir.file("Gone/Photos")}));
    EXPECT_EQ(cwd(), before);
}

TEST_F(ShellCommandsTest, FolderThatCannotBeEnteredWarnsAndLeavesInitDirAlone) {
    store.writeText(kSettingsSection, "InitDir", "/somewhere");
    choosers.folderAnswer = dir.file("Vanished");
    commands().processFolder();
    EXPECT_EQ(onlyMessage(), "Could not open folder " + dir.file("Vanished"));
    EXPECT_EQ(messages.messages.front().icon, MessageIcon::Warning);
    EXPECT_EQ(storedInitDir(), "/somewhere");
    EXPECT_EQ(window.begun, 0);
}

TEST_F(ShellCommandsTest, EmptyFolderAndFolderWithOnlyASubfolderShowNoFilesProcessed) {
    const std::string photos = folder("Photos");
    folder("Photos/sub");
    touch(photos + "/sub/a.jpg");
    choosers.folderAnswer = photos;
    commands().processFolder();
    EXPECT_EQ(onlyMessage(), "\n\nNo files processed\n\n");

    messages.messages.clear();
    options.bSubfolders = 1;
    commands().processFolder();
    EXPECT_EQ(onlyMessage(), "\n\n1 files read, of which 1 files successfully rotated\n\n");
}

TEST_F(ShellCommandsTest, CancelDuringTheThirdOfTenFilesStopsAfterIt) {
    const std::string photos = folder("Photos");
    for (int i = 0; i < 10; ++i) touch(photos + "/p" + std::to_string(i) + ".jpg");
    window.onPump = [](int pump) {
        if (pump == 3) cancelRequested = 1;
    };
    choosers.folderAnswer = photos;
    ShellCommands shell = commands();
    shell.processFolder();
    EXPECT_EQ(shell.counters().filesRead, 3);
    EXPECT_EQ(onlyMessage(), "\n\n3 files read, of which 3 files successfully rotated\n\n");

    // The next run clears the flag and walks everything.
    window.onPump = nullptr;
    messages.messages.clear();
    shell.processFolder();
    EXPECT_EQ(shell.counters().filesRead, 10);
}

TEST_F(ShellCommandsTest, LaunchWithoutAPathOffersTheWindow) {
    ShellCommands shell = commands();
    EXPECT_FALSE(shell.launch(""));
    EXPECT_FALSE(shell.launch("\""));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ShellCommandsTest, LaunchWithAFileShowsNothingOnSuccessAndTouchesNoSetting) {
    const std::string pics = folder("My Pics");
    touch(pics + "/a b.jpg");
    ShellCommands shell = commands();
    EXPECT_TRUE(shell.launch(pics + "/a b.jpg"));
    EXPECT_TRUE(shell.launch("\"" + pics + "/a b.jpg\""));
    EXPECT_EQ(rotated, (std::vector<std::string>{pics + "/a b.jpg", pics + "/a b.jpg"}));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(store.reads().empty());
    EXPECT_TRUE(store.writes().empty());
    EXPECT_EQ(window.ended, 2);

    failing.insert(pics + "/a b.jpg");
    EXPECT_TRUE(shell.launch(pics + "/a b.jpg"));
    EXPECT_EQ(onlyMessage(), "\n\nFile " + pics + "/a b.jpg could not be rotated\n\n");
}

TEST_F(ShellCommandsTest, LaunchWithAFolderWalksItWhereItIsAndReports) {
    const std::string photos = folder("Photos");
    touch(photos + "/a.jpg");
    touch(photos + "/b.jpg");
    ShellCommands shell = commands();
    EXPECT_TRUE(shell.launch(photos));
    EXPECT_EQ(onlyMessage(), "\n\n2 files read, of which 2 files successfully rotated\n\n");
    EXPECT_EQ(cwd(), before);
    EXPECT_TRUE(store.reads().empty());
    EXPECT_TRUE(store.writes().empty());
}

TEST_F(ShellCommandsTest, LaunchWithAnythingElseIsNotFileOrPath) {
    const std::string pics = folder("Pics");
    touch(pics + "/a.jpg");
    ShellCommands shell = commands();
    EXPECT_TRUE(shell.launch(dir.file("missing.jpg")));
    // A blank after the closing quote: the quote stays in the path.
    EXPECT_TRUE(shell.launch("\"" + pics + "/a.jpg\" "));
    ASSERT_EQ(messages.messages.size(), 2u);
    for (const auto& message : messages.messages) EXPECT_EQ(message.text, "Not file or path");
    EXPECT_TRUE(rotated.empty());
    EXPECT_EQ(window.begun, 0);
}

TEST_F(ShellCommandsTest, LaunchPathLongerThanItsBufferIsRefusedNotCut) {
    std::string path = dir.path();
    while (path.size() <= kMaxLaunchPath) {
        path += "/" + std::string(100, 'd');
        ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    }
    touch(path + "/a.jpg");
    ShellCommands shell = commands();
    EXPECT_TRUE(shell.launch(path + "/a.jpg"));
    EXPECT_EQ(onlyMessage(), "Not file or path");
    EXPECT_TRUE(rotated.empty());
}

}  // namespace
}  // namespace shell

#include "app/shell/shell_commands.h"

#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "app/shell/fake_choosers.h"
#include "app/shell/fake_run_window.h"
#include "app/shell/options_store.h"
#include "platform/memory_settings_store.h"
#include "platform/recording_message_sink.h"
#include "tests/support/files.h"

namespace shell {
namespace {

using Texts = std::vector<std::string>;

class ShellCommandsTest : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::current_path(before); }

    // Commands whose rotation only records the file (and fails for those in `failing`).
    ShellCommands commands() {
        auto rotate = [this](const std::string& path, const ProcessingOptions& given, platform::StatusLine& status) {
            EXPECT_EQ(&status, static_cast<platform::StatusLine*>(&window.status));
            EXPECT_EQ(given.Backup, options.Backup);
            rotated.push_back(path);
            RotateResult result = refusal(RefusalReason::NotJpeg);
            if (!failing.count(path)) result.outcome = FileOutcome::Rotated;
            return result;
        };
        return ShellCommands(options, store, messages, window, choosers, rotate, "/home/tester");
    }
    std::string folder(const std::string& name, std::initializer_list<const char*> files = {}) {
        const std::string path = dir.file(name);
        EXPECT_TRUE(std::filesystem::create_directory(path));
        for (const char* file : files) testsupport::writeFile(path + "/" + file, {0xFF, 0xD8});
        return path;
    }
    std::string initDir() { return store.readText(kSettingsSection, "InitDir", "<absent>"); }

    const std::string before = std::filesystem::current_path();
    testsupport::TempDir dir;
    ProcessingOptions options;
    platform::MemorySettingsStore store;
    platform::RecordingMessageSink messages;
    FakeRunWindow window;
    FakeChoosers choosers;
    Texts rotated;
    std::set<std::string> failing;
};

TEST_F(ShellCommandsTest, OneFileStartsAtHomeThenAtTheLastFileFolderAndReportsEachOutcome) {
    ShellCommands shell = commands();
    shell.processOneFile();  // both choosers cancelled: no run, nothing stored
    shell.processFolder();
    EXPECT_EQ(window.begun, 0);
    EXPECT_TRUE(messages.messages.empty() && store.writes().empty());

    const std::string photo = folder("Pics") + "/x.jpg";
    choosers.fileAnswer = photo;
    options.Backup = 1;
    shell.processOneFile();
    failing.insert(photo);
    shell.processOneFile();
    EXPECT_EQ(choosers.fileStarts, (Texts{"/home/tester", "/home/tester", dir.file("Pics/")}));
    EXPECT_EQ(initDir(), dir.file("Pics/"));
    EXPECT_EQ(messages.texts(), (Texts{"\n\nFile " + photo + " successfully rotated\n\n",
                                     "\n\nFile " + photo + " could not be rotated\n\n"}));
}

TEST_F(ShellCommandsTest, FolderFollowsInitDirEntersAndStoresTheChosenFolderAndReports) {
    const std::string photos = folder("Photos", {"a.jpg", "b.JPG", "c.jpeg", "notes.txt", "d.jpg"});
    failing.insert(photos + "/d.jpg");
    store.writeText(kSettingsSection, "InitDir", dir.file("Gone/Photos"));
    choosers.folderAnswer = photos;
    ShellCommands shell = commands();
    shell.processFolder();
    EXPECT_EQ(std::filesystem::current_path(), photos);

    choosers.folderAnswer = folder("Empty");
    shell.processFolder();
    choosers.folderAnswer = dir.file("Vanished");
    shell.processFolder();
    EXPECT_EQ(choosers.folderStarts, (Texts{dir.file("Gone"), photos, dir.file("Empty")}));
    EXPECT_EQ(initDir(), dir.file("Empty"));
    EXPECT_EQ(messages.texts(), (Texts{"\n\n3 files read, of which 2 files successfully rotated\n\n",
                                     "\n\nNo files processed\n\n", "Could not open folder " + dir.file("Vanished")}));
    EXPECT_EQ(messages.messages[2].icon, platform::MessageIcon::Warning);
}

TEST_F(ShellCommandsTest, LaunchRunsAFileQuotedOrNotRefusesAnythingElseAndTouchesNoSetting) {
    const std::string photo = folder("My Pics", {"a b.jpg"}) + "/a b.jpg";
    ShellCommands shell = commands();
    EXPECT_FALSE(shell.launch("\""));
    EXPECT_TRUE(shell.launch(photo));
    EXPECT_TRUE(shell.launch("\"" + photo + "\""));
    EXPECT_TRUE(shell.launch(dir.file("missing.jpg")));
    failing.insert(photo);
    EXPECT_TRUE(shell.launch(photo));
    EXPECT_EQ(rotated, Texts(3, photo));
    EXPECT_EQ(messages.texts(), (Texts{"Not file or path", "\n\nFile " + photo + " could not be rotated\n\n"}));
    EXPECT_TRUE(store.reads().empty() && store.writes().empty());
}

}  // namespace
}  // namespace shell

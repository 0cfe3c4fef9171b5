#include "app/shell/shell_commands.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "app/shell/fake_choosers.h"
#include "app/shell/fake_run_window.h"
#include "app/shell/options_store.h"
#include "platform/memory_settings_store.h"
#include "platform/recording_message_sink.h"
#include "tests/support/files.h"
#include "workflow/run_messages.h"

namespace shell {
namespace {

using Texts = std::vector<std::string>;

class ShellCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_STATE_HOME", dir.file("state").c_str(), 1); }
    void TearDown() override {
        std::filesystem::current_path(before);
        ::unsetenv("XDG_STATE_HOME");
    }

    // Commands whose rotation only records the file (fails for those in `failing`, finds those
    // named "upright" upright, and presses Cancel during `cancelAt`), one file at a time.
    ShellCommands commands() {
        auto rotate = [this](const PlannedPhoto& photo, const ProcessingOptions& given, const RunContext& run) {
            const std::string& path = photo.path;
            EXPECT_EQ(given.Backup, options.Backup);
            rotated.push_back(path);
            if (path == cancelAt) run.stop();
            RotateResult result = refusal(RefusalReason::NotJpeg, "no start of image");
            if (!failing.count(path)) result.outcome = FileOutcome::Rotated;
            result.turn = TransformKind::Rotate90;
            if (path.find("upright") != std::string::npos) result.outcome = FileOutcome::AlreadyUpright;
            return result;
        };
        return ShellCommands(options, store, messages, window, choosers, rotate, "/home/tester", 1);
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
    std::string cancelAt;
};

TEST_F(ShellCommandsTest, OneFileStartsAtHomeThenAtTheLastFileFolderAndReportsEachOutcome) {
    ShellCommands shell = commands();
    shell.processOneFile();  // both choosers cancelled: no run, nothing stored
    shell.processFolder();
    EXPECT_EQ(window.begun, 0);
    EXPECT_TRUE(messages.messages.empty() && store.writes().empty());

    const std::string photo = folder("Pics", {"x.jpg"}) + "/x.jpg";
    choosers.fileAnswer = photo;
    options.Backup = 1;
    shell.processOneFile();
    failing.insert(photo);
    shell.processOneFile();
    EXPECT_EQ(choosers.fileStarts, (Texts{"/home/tester", "/home/tester", dir.file("Pics/")}));
    EXPECT_EQ(initDir(), dir.file("Pics/"));
    EXPECT_EQ(messages.texts(), (Texts{"\n\nFile " + photo + " successfully rotated\n\n",
                                     "\n\nFile " + photo +
                                         " could not be rotated\n\nReason: not a JPEG file (no start of image)\n\n"}));
    EXPECT_EQ(messages.messages[1].icon, platform::MessageIcon::Warning);
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
    EXPECT_EQ(messages.texts(), (Texts{"\n\n4 files read, of which 3 files successfully rotated\n\n"
                                     "1 file could not be rotated; the details name each with the reason\n\n",
                                     "\n\nNo files processed\n\nNo JPEG files found in " + dir.file("Empty") + "\n\n",
                                     "Could not open folder " + dir.file("Vanished")}));
    EXPECT_EQ(messages.messages[0].details, "Could not be rotated:\n" + photos + "/d.jpg: not a JPEG file (no start of image)\n"
                                            "Turned:\n" + photos + "/a.jpg: rotate 90\n" + photos + "/b.JPG: rotate 90\n" +
                                            photos + "/c.jpeg: rotate 90\n");
    EXPECT_EQ(window.progress.back(), "4 of 4 ") << "the last progress shown: every file done";
    EXPECT_EQ(window.failed.back(), 1u) << "d.jpg counted as it failed";
    EXPECT_EQ(messages.messages[2].icon, platform::MessageIcon::Warning);
}

// An upright photo counts as done: a launch of it ends without a word.
TEST_F(ShellCommandsTest, LaunchRunsAFileOrFolderRefusesAnythingElseTouchesNoSettingAndGivesTheExitStatus) {
    const std::string photos = folder("My Pics", {"a b.jpg", "c.jpg", "upright.jpg"}), photo = photos + "/a b.jpg";
    ShellCommands shell = commands();
    EXPECT_EQ(shell.launch(photo), 0);
    EXPECT_EQ(shell.launch(photos + "/upright.jpg"), 0);
    EXPECT_EQ(shell.launch(photos), 0);
    EXPECT_EQ(shell.launch(dir.file("missing.jpg")), 1);
    failing.insert(photo);
    EXPECT_EQ(shell.launch(photo), 1);
    EXPECT_EQ(shell.launch(photos), 1);
    const std::string upright = "1 file already upright, left as it was\n\n";
    EXPECT_EQ(messages.texts(),
              (Texts{"\n\n3 files read, of which 2 files successfully rotated\n\n" + upright,
                     "Not file or path: " + dir.file("missing.jpg"),
                     "\n\nFile " + photo + " could not be rotated\n\nReason: not a JPEG file (no start of image)\n\n",
                     "\n\n3 files read, of which 1 files successfully rotated\n\n" + upright +
                         "1 file could not be rotated; the details name each with the reason\n\n"}));
    EXPECT_EQ(messages.messages[1].icon, platform::MessageIcon::Warning);
    EXPECT_TRUE(store.reads().empty() && store.writes().empty());
}

// What a drop leaves out is named beside the result, or alone when nothing was left to run.
TEST_F(ShellCommandsTest, DropRunsOneJpegFileAsTheOneFileCommandAndAnythingElseAsOneFolderRunNamingWhatItLeftOut) {
    const std::string photos = folder("Photos", {"a.jpg", "b.jpg"}),
                      other = folder("Other", {"c.JPEG", "notes.txt", "1.txt", "2.txt", "3.txt", "4.txt", "5.txt"});
    ASSERT_EQ(symlink(photos.c_str(), dir.file("Linked").c_str()), 0);
    const std::string notes = other + "/notes.txt", gone = dir.file("gone.jpg");
    ShellCommands shell = commands();
    shell.processDropped({notes, other + "/1.txt", other + "/2.txt", other + "/3.txt", other + "/4.txt", other + "/5.txt"});
    EXPECT_EQ(window.begun, 0) << "nothing to run";
    shell.processDropped({other + "/c.JPEG", notes});
    shell.processDropped({dir.file("Linked"), other + "/c.JPEG", notes, gone, "/dev/null"});
    std::sort(rotated.begin() + 1, rotated.end());
    EXPECT_EQ(rotated,
              (Texts{other + "/c.JPEG", dir.file("Linked/a.jpg"), dir.file("Linked/b.jpg"), other + "/c.JPEG"}));
    const std::string notJpeg = ": not a JPEG file by its name";
    EXPECT_EQ(messages.texts(),
              (Texts{"Nothing was turned.\n\n6 dropped items were left out:\n" + notes + notJpeg + "\n" + other +
                         "/1.txt" + notJpeg + "\n" + other + "/2.txt" + notJpeg + "\n" + other + "/3.txt" + notJpeg +
                         "\n" + other + "/4.txt" + notJpeg + "\nand 1 more\n\n",
                     "\n\nFile " + other + "/c.JPEG successfully rotated\n\n1 dropped item was left out:\n" + notes +
                         notJpeg + "\n\n",
                     "\n\n3 files read, of which 3 files successfully rotated\n\n3 dropped items were left out:\n" +
                         notes + notJpeg + "\n" + gone + ": not found\n/dev/null: neither a file nor a folder\n\n"}));
    EXPECT_EQ(messages.messages[0].icon, platform::MessageIcon::Warning);
    EXPECT_TRUE(store.reads().empty() && store.writes().empty());
}

TEST_F(ShellCommandsTest, ARunSaysItWasCancelledOnlyWhenTheCancelLeftFilesUntouched) {
    const std::string photos = folder("Photos", {"p1.jpg", "p2.jpg", "p3.jpg"});
    const std::vector<std::string> dropped = {photos + "/p1.jpg", photos + "/p2.jpg", photos + "/p3.jpg"};
    ShellCommands shell = commands();
    for (const std::string& at : {dropped[0], dropped[2]}) {
        cancelAt = at;
        shell.processDropped(dropped);
    }
    EXPECT_EQ(rotated, (Texts{dropped[0], dropped[0], dropped[1], dropped[2]}));
    const std::string cancelled = runCancelledLine() + "\nThe details name the files already turned.";
    EXPECT_EQ(messages.texts(), (Texts{cancelled + "\n\n1 files read, of which 1 files successfully rotated\n\n"
                                                   "Resume turns the 2 left.\n\n",
                                     "\n\n3 files read, of which 3 files successfully rotated\n\n"}));
    EXPECT_EQ(messages.buttons, (std::vector<Texts>{{"OK", "Undo this run", "Resume"}, {"OK", "Undo this run"}}));
}

// Resume runs what the cancel left of the plan, and nothing else.
TEST_F(ShellCommandsTest, ResumeTurnsTheRestOfACancelledRun) {
    const std::string photos = folder("Photos", {"p1.jpg", "p2.jpg", "p3.jpg"});
    ShellCommands shell = commands();
    cancelAt = photos + "/p1.jpg";
    messages.choices = {2};  // Resume
    choosers.folderAnswer = photos;
    shell.processFolder();
    EXPECT_EQ(rotated, (Texts{photos + "/p1.jpg", photos + "/p2.jpg", photos + "/p3.jpg"}));
    EXPECT_EQ(messages.texts().back(), "\n\n2 files read, of which 2 files successfully rotated\n\n");
}

}  // namespace
}  // namespace shell

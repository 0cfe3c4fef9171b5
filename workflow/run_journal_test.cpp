#include "workflow/run_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/files.h"

namespace {

using namespace testsupport;
using Bytes = std::vector<std::uint8_t>;

JournalEntry entryFor(const std::string& photo) {
    JournalEntry entry;
    entry.photo = photo;
    entry.file = "/abs/" + photo;
    entry.stored = TransformKind::Rotate90;
    entry.seen = TransformKind::Rotate270;
    entry.orientationBefore = 6;
    entry.orientationAfter = 6;
    entry.trashFile = "/t/files/" + photo;
    entry.turned = {12, {5, 6}, {7, 8}, "aa"};
    entry.original = {10, {1, 2}, {3, 4}, "bb"};
    return entry;
}

RotateResult turnedBy(TransformKind kind) {
    RotateResult result;
    result.outcome = FileOutcome::Rotated;
    result.turn = kind;
    return result;
}

// What was written reads back: the run's start, each photo's line before its replacement and its
// result, the end; a last line cut short by a kill is left out, and the photo it named is one
// that only its hash can tell about.
TEST(RunJournal, ReadsBackWhatItWroteAlsoWhenCutShort) {
    TempDir folder;
    std::string name;
    {
        RunJournal journal({"fixed", TransformKind::Rotate270, ""}, folder.path());
        name = journal.name();
        journal.replacing(entryFor("a.jpg"));
        journal.result(plannedFor("a.jpg", TransformKind::Rotate270, false), turnedBy(TransformKind::Rotate90));
        journal.result(plannedFor("b.jpg", TransformKind::Rotate270, false), refusal(RefusalReason::NotJpeg));
        journal.replacing(entryFor("c.jpg"));
        EXPECT_EQ(journal.problem(), "");
    }
    const std::string path = folder.file(name + ".jsonl");
    Bytes bytes = readFile(path);
    const std::string cut = "{\"event\":\"result\",\"photo\":\"c.j";
    bytes.insert(bytes.end(), cut.begin(), cut.end());
    writeFile(path, bytes);

    const Result<JournalRun> run = readRun(name, folder.path());
    ASSERT_TRUE(run.ok()) << run.refusal().text();
    EXPECT_EQ(run.value().start.mode, "fixed");
    EXPECT_FALSE(run.value().ended);
    ASSERT_EQ(run.value().photos.size(), 3u);
    const JournalPhoto& a = run.value().photos[0];
    EXPECT_EQ(std::tuple(a.outcome, a.entry.file, a.entry.stored, a.entry.seen, a.entry.trashFile, a.entry.turned.hash,
                         a.entry.original.modification.tv_nsec),
              std::tuple(std::string("turned"), std::string("/abs/a.jpg"), TransformKind::Rotate90, TransformKind::Rotate270,
                         std::string("/t/files/a.jpg"), std::string("aa"), 2L));
    EXPECT_EQ(run.value().photos[1].reason, "not a JPEG file");
    EXPECT_TRUE(run.value().photos[2].mayHaveBeenTurned());
    EXPECT_FALSE(run.value().photos[1].mayHaveBeenTurned());
    EXPECT_EQ(runListLine(run.value(), false).substr(name.size()),
              "  " + run.value().startedText() + "  fixed (rotate 270)  1 turned, 0 left as they were, 1 refused, interrupted");
    EXPECT_FALSE(readRun("../" + name, folder.path()).ok());
}

// Journals older than the limit go when a run starts; one that cannot be written says so.
TEST(RunJournal, PrunesOldJournalsAndSaysWhenItCannotBeWritten) {
    TempDir folder;
    writeFile(folder.file("20000101-000000-000000.jsonl"), {'{', '}'});
    writeFile(folder.file("notes.txt"), {'x'});
    const timespec old[2] = {{std::time(nullptr) - (kJournalDays + 1) * 86400L, 0}, {std::time(nullptr) - (kJournalDays + 1) * 86400L, 0}};
    ::utimensat(AT_FDCWD, folder.file("20000101-000000-000000.jsonl").c_str(), old, 0);
    RunJournal journal({"auto", TransformKind::None, ""}, folder.path());
    journal.end(false);
    EXPECT_EQ(listFolder(folder.path()), (std::vector<std::string>{journal.name() + ".jsonl", "notes.txt"}));
    ASSERT_EQ(listRuns(folder.path()).size(), 1u);
    EXPECT_TRUE(listRuns(folder.path())[0].ended);

    RunJournal blocked({"fixed", TransformKind::Rotate270, ""}, folder.file("notes.txt/runs"));
    blocked.result(plannedFor("a.jpg", TransformKind::Rotate270, false), turnedBy(TransformKind::Rotate270));
    EXPECT_EQ(blocked.name(), "");
    EXPECT_NE(journalProblemNote(blocked.problem()).find("could not be recorded"), std::string::npos);
}

}  // namespace

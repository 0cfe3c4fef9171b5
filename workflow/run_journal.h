#pragma once
// The journal of every run: one file of JSON lines per run in the user's state folder
// ($XDG_STATE_HOME/pivora/runs, by default ~/.local/state/pivora/runs), named by the run's start
// time. It says when the run began and in which mode, and for each photo what was done to it.
//
// A photo that is turned gets two lines. The first, "replacing", is on disk (written and flushed
// with fdatasync) before the turned file takes the photo's name: the turn (as stored and as
// seen), the Orientation before and after, whether an edge strip was dropped, where the original
// is kept (NAME.bak, the Trash, nowhere), and what recognises the turned file and the original
// later (size, times, a content hash). The second, "result", follows once the photo's fate is
// known; every other photo gets only that one. A run that ends writes "end". Whoever reads the
// journal of a killed run and finds a "replacing" line without its result checks the photo
// against the hash: it was replaced when they match.
//
// The run engine's workers write it, one line at a time under a lock. A journal that cannot be
// written does not stop the run: problem() says why, for the front end to show. Journals older
// than kJournalDays are removed when a new one is started.

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/refusal.h"
#include "transform/transform_setup.h"
#include "workflow/plan.h"
#include "workflow/rotate_result.h"

inline constexpr int kJournalDays = 90;

// The folder the journals are kept in.
std::string journalFolder();

// What recognises one state of a file: its size, its times and a hash of its content.
struct FileMark {
    std::int64_t size = 0;
    timespec modification{};
    timespec access{};
    std::string hash;  // platform::contentHash; "" when unknown

    // Size and modification time as `st` shows them: the cheap test before the hash.
    bool mayBe(const struct stat& st) const;
};

// What a photo's "replacing" line says.
struct JournalEntry {
    std::string photo;  // the path as the run was given it
    std::string file;   // the file rewritten, absolute (a link resolved)
    TransformKind stored = TransformKind::None;  // the turn its stored picture got
    TransformKind seen = TransformKind::None;    // the turn a viewer shows
    bool upright = false;                        // made upright by its tag
    int orientationBefore = 0, orientationAfter = 0;
    bool stripDropped = false;
    std::string backup;          // NAME.bak, made by this run
    std::string earlierBackup;   // NAME.bak, there before the run and left as it was
    std::string trashFile;       // its entry in the Trash
    FileMark turned;             // the file that takes the photo's name
    FileMark original;           // the file it replaces
    std::string putBack;         // an undo: where the photo came back from (RotateResult::putBack)
};

// What an undo of one photo works from: the run that turned it and that run's line for it.
struct UndoTarget {
    std::string run;
    JournalEntry entry;
};

// How a run began: its mode ("fixed", "auto", "choice", "undo"), the fixed turn, the run an undo undoes.
struct RunStart {
    std::string mode;
    TransformKind turn = TransformKind::None;
    std::string undoes;
};

// The start of a run of `plan`, as its photos' reasons say.
RunStart runStartOf(const Plan& plan);

class RunJournal {
public:
    // Starts a journal in `folder` (made where missing) and prunes the old ones there.
    explicit RunJournal(const RunStart& start, const std::string& folder = journalFolder());
    ~RunJournal();
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    // The line before the turned file takes the photo's name.
    void replacing(const JournalEntry& entry);
    // What became of the photo.
    void result(const PlannedPhoto& photo, const RotateResult& result);
    // The run ended (cut short by a cancel or not).
    void end(bool cancelled);

    // The run's name, as --undo takes it; "" when the journal could not be started.
    const std::string& name() const { return name_; }
    // "" while every line was written; else what went wrong, for the front end to show.
    std::string problem() const;

private:
    void write(const std::string& line);

    mutable std::mutex mutex_;
    int fd_ = -1;
    std::string name_;
    std::string problem_;
};

// The note a front end shows when the journal of its run could not be written; "" when it could.
std::string journalProblemNote(const std::string& problem);

// ---- The reading side ----

// One photo of a journalled run: its "replacing" line (when it has one) and its result.
struct JournalPhoto {
    JournalEntry entry;
    bool announced = false;  // a "replacing" line was written
    std::string outcome;     // "turned", "upright", "skipped", "refused"; "" when none was written
    std::string reason;      // the refusal or the skip, in words

    // Its turned file may have taken the photo's name: it was turned, or its run ended before
    // saying (then only the photo's hash tells).
    bool mayHaveBeenTurned() const { return outcome == "turned" || (announced && outcome.empty()); }
};

struct JournalRun {
    std::string name;
    std::time_t started = 0;
    RunStart start;
    bool ended = false, cancelled = false;
    std::vector<JournalPhoto> photos;  // in the order they first appear

    std::size_t count(const std::string& outcome) const;
    // "2026-03-05 15:03" in local time.
    std::string startedText() const;
};

// Every run journalled in `folder`, oldest first; journals that cannot be read are left out.
std::vector<JournalRun> listRuns(const std::string& folder = journalFolder());
// The run of that name.
Result<JournalRun> readRun(const std::string& name, const std::string& folder = journalFolder());

// "20260305-140327-123456  2026-03-05 15:03  fixed (rotate 270)  12 turned, 3 left as they were,
// 1 refused" and a last word for a run cancelled, interrupted (no end line) or undone.
std::string runListLine(const JournalRun& run, bool undone);

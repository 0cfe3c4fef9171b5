#pragma once
// The runs of the window: one chosen file, one chosen folder, the path given on the command
// line, and paths dropped onto the window. Plain logic over the settings store, the message
// sink, the run window and the choosers, so it is tested without a window.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/shell/choosers.h"
#include "app/shell/result_messages.h"
#include "app/shell/run_window.h"
#include "platform/message_sink.h"
#include "platform/settings_store.h"
#include "platform/status_line.h"
#include "workflow/plan.h"
#include "workflow/processing_options.h"
#include "workflow/rotate_result.h"
#include "workflow/run_context.h"
#include "workflow/run_engine.h"
#include "workflow/run_state.h"

namespace shell {

// Turns one planned photo (turnPlannedPhoto, or a substitute in tests). Runs on the run engine's
// worker threads, several at once: it must not touch the window.
using FileRotator =
    std::function<RotateResult(const PlannedPhoto& photo, const ProcessingOptions& options, const RunContext& run)>;

// turnPlannedPhoto with no status line: a window shows the engine's progress, not the workers' lines.
FileRotator windowTurner();

class ShellCommands {
public:
    // `options` are taken as they stand when a run starts; `defaultInitDir` stands for an absent
    // "InitDir"; `jobs` is the number of files turned at once (0: one for each core).
    ShellCommands(const ProcessingOptions& options, platform::SettingsStore& store, platform::MessageSink& messages,
                  RunWindow& window, Choosers& choosers, FileRotator rotate, std::string defaultInitDir,
                  unsigned jobs = 0);

    // The one-file command, after the caller saved the options: choose, rotate, report 103 or 104.
    void processOneFile();
    // The folder command, after the caller saved the options: choose, enter, walk, report 105, 106 or 107.
    void processFolder();
    // The folder command's choice of its folder: the chooser from "InitDir", the folder entered
    // (105 when it cannot be) and stored as "InitDir". nullopt when there is none to run.
    std::optional<std::string> chooseRunFolder();

    // The launch with the path from the command line: a file is rotated (a message only when it
    // was not), a folder is run as the folder command runs it, anything else is refused with
    // "Not file or path: PATH". Reads and writes no settings. 0 when every file was rotated or
    // already upright, 1 otherwise (the program's exit status).
    int launch(const std::string& launchPath);

    // Paths dropped onto the window, after the caller saved the options: a single JPEG file runs
    // as the one-file command does, anything else (several, or folders) as one folder run over
    // all of them. The paths sortDropped leaves out are named with the reason below the result,
    // or in a message of their own when nothing was left to run. Reads and writes no other setting.
    void processDropped(const std::vector<std::string>& paths);

    // "Undo last run": asks first, then puts back what the newest run that can be undone turned
    // (workflow/run_undo.h) and shows the result; says so when there is none.
    void undoLastRun();
    // Puts back what the run named `name` turned, and shows the result.
    void undoRun(const std::string& name);
    // Runs the rest of the plan of the last run, which a cancel cut short.
    void resume();

    const RunCounters& counters() const { return counters_; }
    // The status window's Cancel: the run in progress starts no further photo; nothing when none runs.
    void cancelRun() {
        if (engine_) engine_->cancel();
    }

private:
    using ResultHandler = std::function<void(const std::string& path, const RotateResult& result)>;

    // Lists `targets` (a file whatever its name, a folder walked) and turns the listed files on
    // the run engine, off the window's thread, while the window shows the progress and handles
    // its events; each result goes to `onResult` in listing order. With `given`, that plan is run
    // instead. Before a fixed turn, the photos an earlier run turned are asked about; a Cancel
    // there runs nothing (declined_). True when a cancel left files of the run untouched (a
    // cancel after the last file was taken changes nothing); the rest of the plan is kept for
    // resume().
    bool run(const std::vector<std::string>& targets, const ResultHandler& onResult, const Plan* given = nullptr);
    // Whether the run goes on, and with which photos skipped.
    bool askAboutEarlierTurns(Plan& plan);
    RotateResult runOneFile(const std::string& path);
    // Every folder and file of `targets` (or the plan `given`) in one run with one set of counters.
    void runFolders(const std::vector<std::string>& targets, const Plan* given = nullptr);
    ResultMessage folderResult() const;
    // Shows a run's result, offering to undo the run when it turned anything and to resume it
    // when a cancel cut it short, and does what was chosen.
    void report(ResultMessage message, bool turnedAny = false);
    std::string initDir();

    const ProcessingOptions& options_;
    platform::SettingsStore& store_;
    platform::MessageSink& messages_;
    RunWindow& window_;
    Choosers& choosers_;
    FileRotator rotate_;
    RunEngine* engine_ = nullptr;  // the run in progress
    std::string defaultInitDir_;
    unsigned jobs_;
    RunCounters counters_;
    bool cancelled_ = false;
    std::vector<std::string> folderTargets_;  // of the last runFolders, named in its result
    std::string chosenFolder_;
    bool declined_ = false;    // the last run was not started: Cancel at the question before it
    std::string lastJournal_;  // of the last run
    std::string journalNote_;  // of the last run: why its journal could not be written
    Plan remaining_;           // of the last run, what a cancel left untouched
};

}  // namespace shell

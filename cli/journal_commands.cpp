// The verbs that read the journal of earlier runs: --list-runs names them, --undo puts back
// what one of them turned.
#include <algorithm>

#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/run_signals.h"
#include "platform/status_line.h"
#include "workflow/rotate_jpeg_file.h"
#include "workflow/run_engine.h"
#include "workflow/run_messages.h"
#include "workflow/run_undo.h"

int runListRunsCommand(const Arguments& args) {
    if (!args.empty()) return usageError("--list-runs takes no arguments");
    const std::vector<JournalRun> runs = listRuns();
    if (runs.empty()) console().note("no runs recorded in " + journalFolder());
    for (const JournalRun& run : runs)
        if (!console().result(runListLine(run, wasUndone(run, runs)))) return 1;
    return 0;
}

int runUndoCommand(const Arguments& args) {
    if (args.size() > 1) return usageError("--undo takes one run at most");
    const std::vector<JournalRun> runs = listRuns();
    const std::string name = args.empty() ? lastUndoableRun(runs) : args[0];
    if (name.empty()) {
        console().note("no run to undo in " + journalFolder());
        return 1;
    }
    const Result<Plan> plan = undoPlanOf(name, runs);
    if (!plan.ok()) {
        console().note("can't undo: " + plan.refusal().detail);
        return 1;
    }
    RunEngine engine;
    stopRunOnSignals(engine.cancelFlag());
    RunCounters counters;
    RunHooks hooks;
    hooks.onResult = [&](const PlannedPhoto& photo, const RotateResult& result) {
        countResult(counters, photo.path, result);
        const std::string line = fileResultLine(photo.path, result, false);
        if (!line.empty() && !console().result(line)) engine.cancel();
    };
    platform::SilentStatusLine quiet;
    engine.run(
        plan.value(),
        [&](const PlannedPhoto& photo, const RunContext& run) {
            TurnSettings settings;
            settings.run = run;
            return turnPlannedPhoto(photo, ProcessingOptions{}, settings, quiet);
        },
        hooks);
    if (console().resultsLost()) return 1;
    console().result("Undo of " + name + ":");
    for (const std::string& line : undoSummaryLines(counters)) console().result(line);
    if (const std::string note = engine.journalNote(); !note.empty()) console().note(note);
    if (const int signal = runStopSignal()) {
        console().note(std::string("interrupted by ") + signalName(signal));
        return 1;
    }
    return counters.failures.empty() ? 0 : 1;
}

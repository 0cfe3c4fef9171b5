#include "app/shell/shell_commands.h"

#include <algorithm>
#include <utility>

#include "app/shell/drop_targets.h"
#include "app/shell/folder_entry.h"
#include "app/shell/launch_path.h"
#include "app/shell/options_store.h"
#include "app/shell/window_run.h"
#include "platform/path_kind.h"
#include "workflow/folder_walk.h"
#include "workflow/run_engine.h"
#include "workflow/run_messages.h"
#include "workflow/rotate_jpeg_file.h"
#include "workflow/run_undo.h"

namespace shell {
namespace {

bool leftWhole(const RotateResult& result) {
    return result.outcome == FileOutcome::Rotated || result.outcome == FileOutcome::AlreadyUpright ||
           result.outcome == FileOutcome::Skipped;
}

const char* const kOk = "OK";
const char* const kUndoThisRun = "Undo this run";
const char* const kResume = "Resume";

}  // namespace

FileRotator windowTurner() {
    return [](const PlannedPhoto& photo, const ProcessingOptions& options, const RunContext& run) {
        TurnSettings settings;
        settings.run = run;
        platform::SilentStatusLine quiet;
        return turnPlannedPhoto(photo, options, settings, quiet);
    };
}

ShellCommands::ShellCommands(const ProcessingOptions& options, platform::SettingsStore& store,
                             platform::MessageSink& messages, RunWindow& window, Choosers& choosers,
                             FileRotator rotate, std::string defaultInitDir, unsigned jobs)
    : options_(options),
      store_(store),
      messages_(messages),
      window_(window),
      choosers_(choosers),
      rotate_(std::move(rotate)),
      defaultInitDir_(std::move(defaultInitDir)),
      jobs_(jobs) {}

std::string ShellCommands::initDir() { return store_.readText(kSettingsSection, "InitDir", defaultInitDir_); }

void ShellCommands::report(ResultMessage message, bool turnedAny) {
    if (declined_) return;
    if (!journalNote_.empty()) message.text += journalNote_ + "\n\n";
    std::vector<std::string> buttons = {kOk};
    if (turnedAny && !lastJournal_.empty()) buttons.push_back(kUndoThisRun);
    if (cancelled_ && !remaining_.empty()) {
        buttons.push_back(kResume);
        message.text += "Resume turns the " + std::to_string(remaining_.size()) + " left.\n\n";
    }
    if (buttons.size() == 1) {
        messages_.showWithDetails(message.text, message.icon, message.details);
        return;
    }
    const std::size_t chosen = messages_.choose(message.text, message.icon, message.details, buttons, 0, 0);
    if (chosen >= buttons.size()) return;
    if (buttons[chosen] == kUndoThisRun) undoRun(lastJournal_);
    if (buttons[chosen] == kResume) resume();
}

bool ShellCommands::askAboutEarlierTurns(Plan& plan) {
    const std::vector<EarlierTurn> earlier = turnedBefore(plan, listRuns());
    if (earlier.empty()) return true;
    std::string details;
    for (const EarlierTurn& turn : earlier) details += plan[turn.index].path + ": turned on " + turn.date + "\n";
    const std::size_t answer = messages_.choose(turnAgainQuestion(earlier.size(), earlierTurnDates(earlier)),
                                                platform::MessageIcon::Exclamation, details, kTurnAgainAnswers, 1, 2);
    if (answer == 1) skipTurnedBefore(plan, earlier);
    return answer == 0 || answer == 1;
}

bool ShellCommands::run(const std::vector<std::string>& targets, const ResultHandler& onResult, const Plan* given) {
    RunEngine engine(jobs_);
    engine_ = &engine;
    declined_ = false;
    window_.beginRun();
    // The workers read the switches as they stood when the run started; the window may change them meanwhile.
    const ProcessingOptions options = options_;
    Plan plan;
    bool listingCut = false;
    if (given) {
        plan = *given;
    } else {
        RunListing listing(options, engine.context(), [this](std::size_t) { window_.pumpMessages(); });
        for (const std::string& target : targets) {
            if (engine.cancelled()) break;
            listing.add(target);
        }
        listingCut = engine.cancelled();
        counters_.hiddenSkipped = listing.hiddenSkipped();
        plan = planOf(listing.files(), TransformKind::Rotate270, options.AutoOrient != 0);
        declined_ = !options.AutoOrient && !listingCut && !askAboutEarlierTurns(plan);
    }
    if (declined_) {
        engine_ = nullptr;
        window_.endRun();
        return false;
    }
    std::size_t handedBack = 0;
    remaining_.clear();
    const WindowRunCount count = runInWindow(
        engine, plan, [&](const PlannedPhoto& photo, const RunContext& run) { return rotate_(photo, options, run); },
        window_, [&](const PlannedPhoto& photo, const RotateResult& result) {
            ++handedBack;
            if (result.outcome == FileOutcome::Cancelled) remaining_.push_back(photo);
            onResult(photo.path, result);
        });
    remaining_.insert(remaining_.end(), plan.begin() + static_cast<std::ptrdiff_t>(handedBack), plan.end());
    lastJournal_ = engine.journalName();
    journalNote_ = engine.journalNote();
    engine_ = nullptr;
    window_.endRun();
    return listingCut || count.finished < plan.size();
}

RotateResult ShellCommands::runOneFile(const std::string& path) {
    RotateResult rotated = refusal(RefusalReason::CannotRead);  // it was gone when the run listed it
    cancelled_ = run({path}, [&rotated](const std::string&, const RotateResult& result) { rotated = result; });
    return rotated;
}

void ShellCommands::runFolders(const std::vector<std::string>& targets, const Plan* given) {
    counters_ = RunCounters{};
    folderTargets_ = targets;
    cancelled_ = run(
        targets, [this](const std::string& path, const RotateResult& result) { countResult(counters_, path, result); },
        given);
}

void ShellCommands::resume() {
    const Plan rest = remaining_;
    runFolders({}, &rest);
    report(folderResult(), counters_.filesRotated > 0);
}

void ShellCommands::undoLastRun() {
    const std::vector<JournalRun> runs = listRuns();
    const std::string name = lastUndoableRun(runs);
    const auto run = std::find_if(runs.begin(), runs.end(), [&](const JournalRun& known) { return known.name == name; });
    if (run == runs.end()) {
        messages_.show("There is no run to undo.", platform::MessageIcon::Warning);
        return;
    }
    const std::size_t turned = run->count("turned");
    if (messages_.ask("Put back the " + std::to_string(turned) + (turned == 1 ? " photo" : " photos") +
                      " that the run of " + run->startedText() + " turned?"))
        undoRun(name);
}

void ShellCommands::undoRun(const std::string& name) {
    const Result<Plan> plan = undoPlanOf(name, listRuns());
    if (!plan.ok()) {
        messages_.show("The run cannot be undone: " + plan.refusal().detail, platform::MessageIcon::Warning);
        return;
    }
    runFolders({}, &plan.value());
    ResultMessage message = undoResult(counters_, cancelled_);
    if (!journalNote_.empty()) message.text += journalNote_ + "\n\n";
    messages_.showWithDetails(message.text, message.icon, message.details);
}

ResultMessage ShellCommands::folderResult() const {
    return folderRunResult(counters_, cancelled_, folderTargets_);
}

void ShellCommands::processOneFile() {
    const std::optional<std::string> path = choosers_.chooseJpegFile(initDir());
    if (!path) return;
    store_.writeText(kSettingsSection, "InitDir", initDirForChosenFile(*path));
    const RotateResult result = runOneFile(*path);
    report(oneFileResult(*path, result), result.rotated());
}

std::optional<std::string> ShellCommands::chooseRunFolder() {
    const std::optional<std::string> folder = choosers_.chooseFolder(folderChooserStart(initDir()));
    if (!folder) return std::nullopt;
    chosenFolder_ = *folder;
    if (enterFolder(chosenFolder_) != 0) {
        messages_.show(folderNotOpenedMessage(chosenFolder_), platform::MessageIcon::Warning);
        return std::nullopt;
    }
    store_.writeText(kSettingsSection, "InitDir", chosenFolder_);
    return chosenFolder_;
}

void ShellCommands::processFolder() {
    const std::optional<std::string> folder = chooseRunFolder();
    if (!folder) return;
    runFolders({*folder});
    report(folderResult(), counters_.filesRotated > 0);
}

int ShellCommands::launch(const std::string& launchPath) {
    const int launchKind = launchKindOf(launchPath, platform::classifyPath);
    if (launchKind == 1) {
        const RotateResult result = runOneFile(launchPath);
        if (leftWhole(result)) return 0;
        report(oneFileResult(launchPath, result));
        return 1;
    }
    if (launchKind == 2) {
        runFolders({launchPath});
        report(folderResult(), counters_.filesRotated > 0);
        return counters_.failures.empty() && !cancelled_ ? 0 : 1;
    }
    report(notFileOrPathResult(launchPath));
    return 1;
}

void ShellCommands::processDropped(const std::vector<std::string>& paths) {
    const DroppedPaths dropped = sortDropped(paths, platform::classifyPath);
    const std::string leftOut = leftOutText(dropped.leftOut);
    const std::vector<std::string>& targets = dropped.targets;
    if (targets.empty()) {
        if (!leftOut.empty()) messages_.show(nothingToTurnText(leftOut), platform::MessageIcon::Warning);
        return;
    }
    ResultMessage result;
    bool turnedAny = false;
    if (targets.size() == 1 && platform::classifyPath(targets.front()) == 1) {
        const RotateResult one = runOneFile(targets.front());
        result = oneFileResult(targets.front(), one);
        turnedAny = one.rotated();
    } else {
        runFolders(targets);
        result = folderResult();
        turnedAny = counters_.filesRotated > 0;
    }
    result.text += leftOut;
    report(result, turnedAny);
}

}  // namespace shell

#include "app/shell/shell_commands.h"

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

namespace shell {
namespace {

bool leftWhole(const RotateResult& result) {
    return result.outcome == FileOutcome::Rotated || result.outcome == FileOutcome::AlreadyUpright;
}

}  // namespace

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

void ShellCommands::report(const ResultMessage& message) {
    messages_.showWithDetails(message.text, message.icon, message.details);
}

bool ShellCommands::run(const std::vector<std::string>& targets, const ResultHandler& onResult) {
    RunEngine engine(jobs_);
    engine_ = &engine;
    window_.beginRun();
    // The workers read the switches as they stood when the run started; the window may change them meanwhile.
    const ProcessingOptions options = options_;
    RunListing listing(options, engine.context(), [this](std::size_t) { window_.pumpMessages(); });
    for (const std::string& target : targets) {
        if (engine.cancelled()) break;
        listing.add(target);
    }
    const bool listingCut = engine.cancelled();
    const Plan plan = planOf(listing.files(), TransformKind::Rotate270, options.AutoOrient != 0);
    const WindowRunCount count = runInWindow(
        engine, plan, [&](const PlannedPhoto& photo, const RunContext& run) { return rotate_(photo, options, run); },
        window_, [&](const PlannedPhoto& photo, const RotateResult& result) { onResult(photo.path, result); });
    engine_ = nullptr;
    window_.endRun();
    return listingCut || count.finished < listing.files().size();
}

RotateResult ShellCommands::runOneFile(const std::string& path) {
    RotateResult rotated = refusal(RefusalReason::CannotRead);  // it was gone when the run listed it
    run({path}, [&rotated](const std::string&, const RotateResult& result) { rotated = result; });
    return rotated;
}

void ShellCommands::runFolders(const std::vector<std::string>& targets) {
    counters_ = RunCounters{};
    folderTargets_ = targets;
    cancelled_ = run(targets, [this](const std::string& path, const RotateResult& result) {
        countResult(counters_, path, result);
    });
}

ResultMessage ShellCommands::folderResult() const {
    return folderRunResult(counters_, cancelled_, folderTargets_);
}

void ShellCommands::processOneFile() {
    const std::optional<std::string> path = choosers_.chooseJpegFile(initDir());
    if (!path) return;
    store_.writeText(kSettingsSection, "InitDir", initDirForChosenFile(*path));
    report(oneFileResult(*path, runOneFile(*path)));
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
    report(folderResult());
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
        report(folderResult());
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
    if (targets.size() == 1 && platform::classifyPath(targets.front()) == 1) {
        result = oneFileResult(targets.front(), runOneFile(targets.front()));
    } else {
        runFolders(targets);
        result = folderResult();
    }
    result.text += leftOut;
    report(result);
}

}  // namespace shell

#include "app/shell/shell_commands.h"

#include <utility>

#include "app/shell/drop_targets.h"
#include "app/shell/folder_entry.h"
#include "app/shell/launch_path.h"
#include "app/shell/options_store.h"
#include "platform/path_kind.h"
#include "workflow/folder_walk.h"
#include "workflow/run_messages.h"

namespace shell {
namespace {

bool leftWhole(const RotateResult& result) {
    return result.outcome == FileOutcome::Rotated || result.outcome == FileOutcome::AlreadyUpright;
}

}  // namespace

ShellCommands::ShellCommands(const ProcessingOptions& options, platform::SettingsStore& store,
                             platform::MessageSink& messages, RunWindow& window, Choosers& choosers,
                             FileRotator rotate, std::string defaultInitDir)
    : options_(options),
      store_(store),
      messages_(messages),
      window_(window),
      choosers_(choosers),
      rotate_(std::move(rotate)),
      defaultInitDir_(std::move(defaultInitDir)) {}

std::string ShellCommands::initDir() { return store_.readText(kSettingsSection, "InitDir", defaultInitDir_); }

void ShellCommands::report(const ResultMessage& message) {
    messages_.showWithDetails(message.text, message.icon, message.details);
}

RotateResult ShellCommands::runOneFile(const std::string& path) {
    window_.beginRun();
    cancelRequested = 0;
    const RotateResult rotated = rotate_(path, options_, window_.statusLine());
    window_.endRun();
    return rotated;
}

void ShellCommands::runFolders(const std::vector<std::string>& targets) {
    counters_ = RunCounters{};
    window_.beginRun();
    cancelRequested = 0;
    const auto rotate = [this](const std::string& path) { return rotate_(path, options_, window_.statusLine()); };
    const auto betweenFiles = [this] { window_.pumpMessages(); };
    for (const std::string& target : targets) {
        if (cancelRequested) break;
        if (platform::classifyPath(target) == 2) {
            walkFolder(target, options_, counters_, rotate, betweenFiles);
        } else {
            countResult(counters_, target, rotate(target));
            betweenFiles();
        }
    }
    cancelled_ = cancelRequested != 0;
    window_.endRun();
}

ResultMessage ShellCommands::folderResult() const {
    return folderRunResult(counters_, cancelled_, options_.AutoOrient != 0);
}

void ShellCommands::processOneFile() {
    const std::optional<std::string> path = choosers_.chooseJpegFile(initDir());
    if (!path) return;
    store_.writeText(kSettingsSection, "InitDir", initDirForChosenFile(*path));
    report(oneFileResult(*path, runOneFile(*path)));
}

void ShellCommands::processFolder() {
    const std::optional<std::string> folder = choosers_.chooseFolder(folderChooserStart(initDir()));
    if (!folder) return;
    chosenFolder_ = *folder;
    if (enterFolder(chosenFolder_) != 0) {
        messages_.show(folderNotOpenedMessage(chosenFolder_), platform::MessageIcon::Warning);
        return;
    }
    store_.writeText(kSettingsSection, "InitDir", chosenFolder_);
    runFolders({chosenFolder_});
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
    const std::vector<std::string> targets = dropTargets(paths, platform::classifyPath);
    if (targets.empty()) return;
    if (targets.size() == 1 && platform::classifyPath(targets.front()) == 1) {
        report(oneFileResult(targets.front(), runOneFile(targets.front())));
        return;
    }
    runFolders(targets);
    report(folderResult());
}

}  // namespace shell

#include "app/shell/shell_commands.h"

#include <utility>

#include "app/shell/folder_entry.h"
#include "app/shell/launch_path.h"
#include "app/shell/options_store.h"
#include "platform/path_kind.h"
#include "workflow/folder_walk.h"
#include "workflow/run_messages.h"

namespace shell {

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

RotateResult ShellCommands::rotateOne(const std::string& path) {
    window_.beginRun();
    cancelRequested = 0;
    const RotateResult rotated = rotate_(path, options_, window_.statusLine());
    window_.endRun();
    return rotated;
}

void ShellCommands::walk(const std::string& folder) {
    counters_ = RunCounters{};
    window_.beginRun();
    cancelRequested = 0;
    walkFolder(
        folder, options_, counters_,
        [this](const std::string& path) { return rotate_(path, options_, window_.statusLine()); },
        [this] { window_.pumpMessages(); });
    window_.endRun();
}

void ShellCommands::processOneFile() {
    const std::optional<std::string> path = choosers_.chooseJpegFile(initDir());
    if (!path) return;
    store_.writeText(kSettingsSection, "InitDir", initDirForChosenFile(*path));
    const RotateResult rotated = rotateOne(*path);
    messages_.show(oneFileMessage(rotated.rotated() ? 1 : 0, *path), platform::MessageIcon::None);
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
    walk(chosenFolder_);
    messages_.show(folderRunMessage(counters_), platform::MessageIcon::None);
}

bool ShellCommands::launch(const std::string& commandLine) {
    const std::string launchPath = launchPathFrom(commandLine);
    if (launchPath.empty()) return false;
    const int launchKind = launchKindOf(launchPath, platform::classifyPath);
    if (launchKind != 1 && launchKind != 2) messages_.show(kNotFileOrPath, platform::MessageIcon::None);
    processLaunchTarget(launchKind, launchPath);
    return true;
}

void ShellCommands::processLaunchTarget(int launchKind, const std::string& launchPath) {
    if (launchKind == 1) {
        if (!rotateOne(launchPath).rotated()) messages_.show(oneFileMessage(0, launchPath), platform::MessageIcon::None);
    } else if (launchKind == 2) {
        walk(launchPath);
        messages_.show(folderRunMessage(counters_), platform::MessageIcon::None);
    }
}

}  // namespace shell

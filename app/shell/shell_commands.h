#pragma once
// The three runs of the window: one chosen file, one chosen folder, and the path given on the
// command line. Plain logic over the settings store, the message sink, the run window and the
// choosers, so it is tested without a window.

#include <functional>
#include <string>

#include "app/shell/choosers.h"
#include "app/shell/run_window.h"
#include "platform/message_sink.h"
#include "platform/settings_store.h"
#include "platform/status_line.h"
#include "workflow/processing_options.h"
#include "workflow/rotate_result.h"
#include "workflow/run_state.h"

namespace shell {

// Rotates one file (rotatePhoto with the program's turn, or a substitute in tests).
using FileRotator = std::function<RotateResult(const std::string& path, const ProcessingOptions& options,
                                               platform::StatusLine& status)>;

inline constexpr const char* kNotFileOrPath = "Not file or path";

class ShellCommands {
public:
    // `options` are read live during each run; `defaultInitDir` stands for an absent "InitDir".
    ShellCommands(const ProcessingOptions& options, platform::SettingsStore& store, platform::MessageSink& messages,
                  RunWindow& window, Choosers& choosers, FileRotator rotate, std::string defaultInitDir);

    // The one-file command, after the caller saved the options: choose, rotate, report 103 or 104.
    void processOneFile();
    // The folder command, after the caller saved the options: choose, enter, walk, report 105, 106 or 107.
    void processFolder();

    // The launch with the command-line text: false when it names no path (the window is then
    // offered); otherwise the path is classified and run, or refused with "Not file or path",
    // and true is returned. Reads and writes no settings.
    bool launch(const std::string& commandLine);
    // Runs a classified launch target: 1 a file (message 104 on failure only), 2 a folder
    // (message 106 or 107); any other kind does nothing.
    void processLaunchTarget(int launchKind, const std::string& launchPath);

    const RunCounters& counters() const { return counters_; }
    const std::string& chosenFolder() const { return chosenFolder_; }

private:
    RotateResult rotateOne(const std::string& path);
    void walk(const std::string& folder);
    std::string initDir();

    const ProcessingOptions& options_;
    platform::SettingsStore& store_;
    platform::MessageSink& messages_;
    RunWindow& window_;
    Choosers& choosers_;
    FileRotator rotate_;
    std::string defaultInitDir_;
    RunCounters counters_;
    std::string chosenFolder_;
};

}  // namespace shell

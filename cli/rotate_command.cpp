// The default verb: rotate files and folder trees named on the command line, as the window's
// one-file and folder runs do, printing their result messages.
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "cli/commands.h"
#include "jpegfile/diagnostics.h"
#include "platform/path_kind.h"
#include "platform/pending_file.h"
#include "platform/status_line.h"
#include "workflow/folder_walk.h"
#include "workflow/rotate_jpeg_file.h"
#include "workflow/run_messages.h"
#include "workflow/stray_files.h"

namespace {

struct RotateRequest {
    ProcessingOptions options;
    std::vector<std::string> paths;
};

// Fills `request`; returns 0, or the exit status of a usage error.
int parseRotateArguments(const Arguments& args, RotateRequest& request) {
    request.options.EXIFTimestamp = 1;  // as on a first start of the window
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            request.paths.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--backup") {
            request.options.Backup = 1;
        } else if (arg == "--subfolders") {
            request.options.bSubfolders = 1;
        } else if (arg == "--keep-times") {
            request.options.EXIFTimestamp = 0;
        } else {
            return usageError("unknown option '" + arg + "'");
        }
    }
    if (request.paths.empty()) return usageError("no path given");
    return 0;
}

// One line per file on a terminal's error stream, so that a long run shows where it is.
struct TerminalStatusLine : platform::StatusLine {
    void show(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
    }
};

void onInterrupt(int) { cancelRequested = 1; }

// Ctrl-C finishes the file in hand and then stops the run; a second Ctrl-C ends the program at
// once, which leaves every photograph whole as well.
void catchInterrupt() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

void printMessage(const std::string& message) {
    std::printf("%s\n", withoutBlankLines(message).c_str());
    std::fflush(stdout);
}

// Each returns true when every file it was given was rotated.
bool rotateOneFile(const std::string& path, const ProcessingOptions& options, platform::StatusLine& status) {
    removeStrayPendingFiles(platform::folderOf(path), runStartTime());
    int rotated = rotateJpegFile(path, options, status);
    printMessage(oneFileMessage(rotated, path));
    return rotated != 0;
}

bool rotateFolder(const std::string& path, const ProcessingOptions& options, platform::StatusLine& status) {
    RunCounters counters;
    walkFolder(
        path, options, counters,
        [&](const std::string& file) { return rotatePhoto(file, options, TurnSettings{}, status); },
        nullptr);
    printMessage(folderRunMessage(counters));
    return counters.filesRotated == counters.filesRead;
}

}  // namespace

int runRotateCommand(const Arguments& args) {
    RotateRequest request;
    if (int status = parseRotateArguments(args, request)) return status;
    catchInterrupt();
    cancelRequested = 0;
    // Standard output carries the result messages; the container's notes go beside them.
    setSectionDiagnostics(stderr);
    TerminalStatusLine terminal;
    platform::SilentStatusLine silent;
    platform::StatusLine& status = ::isatty(STDERR_FILENO) ? static_cast<platform::StatusLine&>(terminal) : silent;

    bool allRotated = true;
    for (const std::string& path : request.paths) {
        if (cancelRequested) break;
        switch (platform::classifyPath(path)) {
            case 1:
                allRotated = rotateOneFile(path, request.options, status) && allRotated;
                break;
            case 2:
                allRotated = rotateFolder(path, request.options, status) && allRotated;
                break;
            default:
                printMessage("Not file or path: " + path);
                allRotated = false;
        }
    }
    if (cancelRequested) {
        std::fprintf(stderr, "pivora-cli: interrupted\n");
        return 1;
    }
    return allRotated ? 0 : 1;
}

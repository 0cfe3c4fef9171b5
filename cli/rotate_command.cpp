// The main job: turn the files and folder trees named on the command line, several at once,
// printing each file's result line in listing order and a summary after a folder run.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <utility>

#include "cli/commands.h"
#include "cli/verb_arguments.h"
#include "platform/status_line.h"
#include "transform/coefficient_memory.h"
#include "transform/memory_budget.h"
#include "workflow/rotate_jpeg_file.h"
#include "workflow/run_engine.h"
#include "workflow/run_messages.h"
#include "transform/turns.h"

namespace {

struct RotateRequest {
    ProcessingOptions options;
    TurnSettings turn;
    unsigned jobs = 0;  // 0: one for each core
    std::vector<std::string> paths;
};

// --jobs takes a whole number from 1 up.
std::string checkJobCount(std::string& text) {
    const bool digits = !text.empty() && text.size() <= 4 && text.find_first_not_of("0123456789") == std::string::npos;
    return digits && std::stoi(text) > 0 ? "" : "needs a whole number from 1 to 9999";
}

// Fills `request`; returns -1, or the exit status after a usage error or the help.
int parseRotateArguments(Arguments args, RotateRequest& request) {
    CLI::App parser{"", "pivora-cli"};
    parser.set_help_flag("-h,--help");
    bool backup = false, subfolders = false, hidden = false, keepTimes = false, autoOrient = false;
    std::string turnName;
    parser.add_flag("--backup", backup);
    parser.add_flag("--subfolders", subfolders);
    parser.add_flag("--hidden", hidden);
    parser.add_flag("--keep-times", keepTimes);
    CLI::Option* turnOption = parser.add_option("--turn", turnName);
    parser.add_flag("--auto", autoOrient)->excludes(turnOption);
    parser.add_flag("--dry-run", request.turn.dryRun);
    parser.add_flag("--optimize", request.turn.optimize);
    parser.add_option("--jobs", request.jobs)->check(CLI::Validator(checkJobCount, "N"));
    parser.add_option("paths", request.paths);
    if (int status = parseVerbArguments(parser, std::move(args)); status >= 0) return status;
    if (turnOption->count() && !turnFromName(turnName, &request.turn.kind))
        return usageError("unknown turn '" + turnName + "' (one of: " + turnNameList() + ")");
    if (request.paths.empty()) return usageError("no path given");
    request.options.Backup = backup;
    request.options.bSubfolders = subfolders;
    request.options.includeHidden = hidden;
    request.options.EXIFTimestamp = !keepTimes;  // as on a first start of the window
    request.options.AutoOrient = autoOrient;
    return -1;
}

// One line per file on a terminal's error stream, so that a long run shows where it is. The
// workers write it, a whole line at a time.
struct TerminalStatusLine : platform::StatusLine {
    void show(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};

void onInterrupt(int) { cancelRequested = 1; }

// Ctrl-C lets no further file start and abandons the files in hand; a second Ctrl-C ends the
// program at once, which leaves every photograph whole as well.
void catchInterrupt() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

void printLine(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// A run of the main job: the paths listed, the files turned, the lines printed in listing order.
class ConsoleRun {
public:
    explicit ConsoleRun(const RotateRequest& request) : request_(request), listing_(request.options) {}

    // The exit status.
    int run() {
        list();
        platform::SilentStatusLine silent;
        TerminalStatusLine terminal;
        platform::StatusLine& status = ::isatty(STDERR_FILENO) ? static_cast<platform::StatusLine&>(terminal) : silent;
        // The workers share what the machine allows for coefficients: one waits rather than all
        // of them running it out of memory on a folder of big photos.
        MemoryBudget budget(machineCoefficientLimit(), cancelRequested);
        TurnSettings turn = request_.turn;
        turn.memoryBudget = &budget;
        RunHooks hooks;
        hooks.onResult = [this](const RunFile& file, const RotateResult& result) { report(file, result); };
        runFiles(
            listing_.files(), request_.jobs,
            [&](const std::string& path) { return rotatePhoto(path, request_.options, turn, status); }, hooks);
        const bool cancelled = cancelRequested != 0;
        if (!cancelled) printMissingBefore(listing_.files().size());
        if (anyFolder_)
            for (const std::string& line : runSummaryLines(counters_, cancelled, request_.turn.dryRun)) printLine(line);
        if (cancelled) {
            std::fprintf(stderr, "pivora-cli: interrupted\n");
            return 1;
        }
        return counters_.failures.empty() && missing_.empty() ? 0 : 1;
    }

private:
    // A path that names neither a file nor a folder, with the number of files listed before it.
    struct MissingPath {
        std::size_t filesBefore;
        std::string path;
    };

    void list() {
        for (const std::string& path : request_.paths) {
            if (cancelRequested) return;
            const std::size_t before = listing_.files().size();
            const int kind = listing_.add(path);
            anyFolder_ = anyFolder_ || kind == 2;
            if (kind != 1 && kind != 2) missing_.push_back({before, path});
        }
    }

    // Results come in listing order without a gap, so the n-th result is the n-th listed file.
    void report(const RunFile& file, const RotateResult& result) {
        printMissingBefore(handedBack_++);
        countResult(counters_, file.path, result);
        const std::string line = fileResultLine(file.path, result, request_.turn.dryRun);
        if (!line.empty()) printLine(line);
    }

    // "Not file or path" for the paths given before the file `index`, in their place.
    void printMissingBefore(std::size_t index) {
        for (; missingPrinted_ < missing_.size() && missing_[missingPrinted_].filesBefore <= index; ++missingPrinted_)
            printLine("Not file or path: " + missing_[missingPrinted_].path);
    }

    const RotateRequest& request_;
    RunListing listing_;
    std::vector<MissingPath> missing_;
    std::size_t missingPrinted_ = 0;
    std::size_t handedBack_ = 0;
    bool anyFolder_ = false;
    RunCounters counters_;
};

}  // namespace

int runRotateCommand(const Arguments& args) {
    RotateRequest request;
    if (int status = parseRotateArguments(args, request); status >= 0) return status;
    catchInterrupt();
    cancelRequested = 0;
    return ConsoleRun(request).run();
}

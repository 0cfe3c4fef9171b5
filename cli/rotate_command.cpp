// The main job: turn the files and folder trees named on the command line, or the photos of a
// plan, several at once, printing each file's result line in plan order and a summary after a
// folder run. A dry run asks each photo's header what its turn would do, and prints that in
// words or as plan lines.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <utility>

#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/plan_lines.h"
#include "cli/progress_text.h"
#include "cli/run_signals.h"
#include "cli/verb_arguments.h"
#include "platform/status_line.h"
#include "workflow/folder_walk.h"
#include "workflow/foresight.h"
#include "workflow/rotate_jpeg_file.h"
#include "workflow/run_engine.h"
#include "workflow/run_messages.h"
#include "workflow/run_undo.h"
#include "transform/turns.h"

namespace {

struct RotateRequest {
    ProcessingOptions options;
    TurnSettings turn;
    bool dryRun = false;  // say what would be done; change nothing
    bool json = false;    // with dryRun: as plan lines
    unsigned jobs = 0;    // 0: one for each core
    bool again = false;   // turn also the photos an earlier run turned and that are unchanged since
    std::vector<std::string> paths;
    bool apply = false;   // the photos are the plan's, read from planFile
    std::string planFile;  // "-": standard input
    Plan plan;
};

// The plan lines of `file` into request.plan; -1, or the exit status after a usage error.
int readPlan(const std::string& file, Plan& plan) {
    std::FILE* in = file == "-" ? stdin : std::fopen(file.c_str(), "re");
    if (!in) return usageError("can't read the plan " + file + ": " + std::strerror(errno));
    std::string error;
    const bool read = readPlanLines(in, &plan, &error);
    if (in != stdin) std::fclose(in);
    return read ? -1 : usageError(error + "; nothing was turned");
}

// --jobs takes a whole number from 1 up.
std::string checkJobCount(std::string& text) {
    const bool digits = !text.empty() && text.size() <= 4 && text.find_first_not_of("0123456789") == std::string::npos;
    return digits && std::stoi(text) > 0 ? "" : "not a number from 1 to 9999";
}

// Fills `request`; returns -1, or the exit status after a usage error or the help.
int parseRotateArguments(Arguments args, RotateRequest& request) {
    CLI::App parser{"", "pivora-cli"};
    parser.set_help_flag("-h,--help");
    bool backup = false, trash = false, subfolders = false, hidden = false, keepTimes = false, autoOrient = false,
         perfect = false;
    std::string turnName;
    parser.add_flag("--backup", backup);
    parser.add_flag("--trash", trash);
    parser.add_flag("--again", request.again);
    CLI::Option* subfoldersFlag = parser.add_flag("--subfolders", subfolders);
    CLI::Option* hiddenFlag = parser.add_flag("--hidden", hidden);
    parser.add_flag("--keep-times", keepTimes);
    CLI::Option* turnOption = parser.add_option("--turn", turnName);
    CLI::Option* autoFlag = parser.add_flag("--auto", autoOrient)->excludes(turnOption);
    parser.add_flag("--perfect", perfect);
    CLI::Option* dryRunFlag = parser.add_flag("--dry-run", request.dryRun);
    parser.add_flag("--json", request.json)->needs(dryRunFlag);
    // A plan says for each photo how it is turned; the switches that choose photos or turns have no say.
    parser.add_option("--apply", request.planFile)
        ->excludes(subfoldersFlag)->excludes(hiddenFlag)->excludes(turnOption)->excludes(autoFlag);
    parser.add_flag("--optimize", request.turn.optimize);
    parser.add_option("--jobs", request.jobs)->check(CLI::Validator(checkJobCount, "N"));
    parser.add_option("paths", request.paths);
    const std::vector<ValueNeed> needs = {{"--jobs", "a number from 1 to 9999"},
                                          {"--turn", "a name: " + turnNameList()},
                                          {"--apply", "a plan file, or - for standard input"}};
    if (int status = parseVerbArguments(parser, std::move(args), needs); status >= 0) return status;
    if (turnOption->count() && !turnFromName(turnName, &request.turn.kind))
        return usageError("unknown turn '" + turnName + "' (one of: " + turnNameList() + ")");
    request.apply = !request.planFile.empty();
    if (request.apply && !request.paths.empty()) return usageError("--apply takes its photos from the plan, not from paths");
    if (!request.apply && request.paths.empty()) return usageError("no path given");
    request.options.Backup = backup;
    request.options.TrashOriginal = trash;
    request.options.bSubfolders = subfolders;
    request.options.includeHidden = hidden;
    request.options.EXIFTimestamp = !keepTimes;  // as on a first start of the window
    request.options.AutoOrient = autoOrient;
    request.options.RefuseEdgeStrip = perfect;
    return request.apply ? readPlan(request.planFile, request.plan) : -1;
}

// On a terminal, the status line while the folders are listed.
void showListing(std::size_t filesListed) {
    if (console().showsStatus()) console().status(listingText(filesListed).substr(0, console().statusColumns()));
}

// A run of the main job: the paths listed, the files turned, the lines printed in listing order.
class ConsoleRun {
public:
    explicit ConsoleRun(const RotateRequest& request)
        : request_(request), engine_(request.jobs),
          listing_(request.options, engine_.context(), showListing, !request.dryRun) {
        stopRunOnSignals(engine_.cancelFlag());
        if (request.dryRun) engine_.keepNoJournal();
    }

    // The exit status.
    int run() {
        list();
        const bool listingCut = engine_.cancelled();
        // The workflow's own status line would be written from the workers, a line per file; the
        // console shows the engine's progress in one line instead.
        platform::SilentStatusLine quiet;
        RunHooks hooks;
        hooks.onResult = [this](const PlannedPhoto& photo, const RotateResult& result) { report(photo, result); };
        const Clock::time_point start = Clock::now();
        hooks.onProgress = [start](const RunProgress& progress) { showProgress(progress, start); };
        Plan plan = request_.apply ? request_.plan
                                   : planOf(listing_.files(), request_.turn.kind, request_.options.AutoOrient != 0);
        // A photo turned by an earlier run is not turned again without being asked.
        if (!request_.again && !request_.options.AutoOrient && !request_.dryRun)
            skipTurnedBefore(plan, turnedBefore(plan, listRuns()));
        planned_ = plan.size();
        engine_.run(
            plan,
            [&](const PlannedPhoto& photo, const RunContext& run) {
                // A dry run reads headers only, and takes no lock: it changes nothing.
                if (request_.dryRun) return foreseenResult(foresee(photo, request_.options));
                TurnSettings turn = request_.turn;
                turn.run = run;
                return turnPlannedPhoto(photo, request_.options, turn, quiet);
            },
            hooks);
        console().clearStatus();
        const bool cutShort = listingCut || finished_ < planned_;
        const bool failed = !counters_.failures.empty() || !missing_.empty();
        // Whoever closed the output wants nothing more: no summary, no word.
        if (console().resultsLost()) return cutShort || failed ? 1 : 0;
        const int signal = runStopSignal();
        if (!signal) printMissingBefore(planned_);
        // Plan lines stand alone, so that they may be applied as they are.
        if ((anyFolder_ || request_.apply) && !request_.json) printSummary(signal != 0);
        else if (request_.dryRun && !request_.json) console().result(dryRunHeadersOnlyLine());
        if (counters_.filesSkipped > 0) console().note("--again turns the photos an earlier run turned a second time");
        if (const std::string note = engine_.journalNote(); !note.empty()) console().note(note);
        if (signal) {
            console().note(signal == SIGINT ? "interrupted" : std::string("interrupted by ") + signalName(signal));
            return 1;
        }
        return failed ? 1 : 0;
    }

private:
    using Clock = std::chrono::steady_clock;

    // A path that names neither a file nor a folder, with the number of files listed before it.
    struct MissingPath {
        std::size_t filesBefore;
        std::string path;
    };

    void list() {
        for (const std::string& path : request_.paths) {
            if (engine_.cancelled()) return;
            const std::size_t before = listing_.files().size();
            const int kind = listing_.add(path);
            anyFolder_ = anyFolder_ || kind == 2;
            if (kind == 2 && listing_.files().size() == before && !engine_.cancelled()) foldersWithoutJpegs_.push_back(path);
            if (kind != 1 && kind != 2) missing_.push_back({before, path});
        }
        console().clearStatus();
    }

    static void showProgress(const RunProgress& progress, Clock::time_point start) {
        if (!console().showsStatus()) return;
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        console().status(progressText(progress, seconds, console().statusColumns()));
    }

    // Results come in listing order without a gap, so the n-th result is the n-th listed file.
    // Once standard output is lost, no further photo starts.
    void report(const PlannedPhoto& file, const RotateResult& result) {
        printMissingBefore(handedBack_++);
        countResult(counters_, file.path, result);
        if (result.outcome == FileOutcome::Cancelled) return;
        ++finished_;
        const bool written = request_.json ? console().jsonResult(planLine(file, result))
                                           : console().result(fileResultLine(file.path, result, request_.dryRun));
        if (!written) engine_.cancel();
    }

    // "not a file or folder" for the paths given before the file `index`, in their place.
    void printMissingBefore(std::size_t index) {
        for (; missingPrinted_ < missing_.size() && missing_[missingPrinted_].filesBefore <= index; ++missingPrinted_)
            if (!console().resultsLost()) console().note("not a file or folder: " + missing_[missingPrinted_].path);
    }

    void printSummary(bool cancelled) {
        RunEnd end;
        end.cancelled = cancelled;
        end.dryRun = request_.dryRun;
        end.foldersWithoutJpegs = foldersWithoutJpegs_;
        end.hiddenSkipped = listing_.hiddenSkipped();
        for (const std::string& line : runSummaryLines(counters_, end))
            if (!console().result(line)) return;
    }

    const RotateRequest& request_;
    RunEngine engine_;
    RunListing listing_;
    std::vector<MissingPath> missing_;
    std::vector<std::string> foldersWithoutJpegs_;
    std::size_t missingPrinted_ = 0;
    std::size_t handedBack_ = 0;
    std::size_t finished_ = 0;  // results of files that were not abandoned
    std::size_t planned_ = 0;   // photos of the plan
    bool anyFolder_ = false;
    RunCounters counters_;
};

}  // namespace

int runRotateCommand(const Arguments& args) {
    RotateRequest request;
    if (int status = parseRotateArguments(args, request); status >= 0) return status;
    return ConsoleRun(request).run();
}

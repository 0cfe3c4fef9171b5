#include "app/shell/review_run.h"

#include <sys/stat.h>

#include <unordered_map>
#include <utility>

#include "app/shell/window_run.h"
#include "platform/file_attributes.h"
#include "workflow/run_journal.h"
#include "workflow/run_undo.h"

namespace shell {
namespace {

// Whether the file behind `path` is still in the state `seen`.
bool stillAsSeen(const std::string& path, const platform::FileIdentity& seen) {
    struct stat st {};
    return ::stat(platform::fileBehindLink(path).c_str(), &st) == 0 && platform::FileIdentity::of(st) == seen;
}

}  // namespace

ReviewRun::ReviewRun(RunWindow& window, FileRotator rotate, unsigned jobs)
    : window_(window), rotate_(std::move(rotate)), jobs_(jobs) {}

ResultMessage ReviewRun::apply(ReviewPlan& plan, const ProcessingOptions& options, const std::string& folder) {
    const std::vector<std::size_t> indexes = plan.runIndexes();
    Plan run;
    // Read by the workers, never changed during the run.
    std::unordered_map<std::string, platform::FileIdentity> seen;
    std::unordered_map<std::string, std::size_t> indexOf;
    for (std::size_t index : indexes) {
        const ReviewPhoto& photo = plan.photo(index);
        run.push_back(photo.planned);
        indexOf[photo.planned.path] = index;
        if (photo.seen) seen[photo.planned.path] = *photo.seen;
    }
    plan.clearResults();
    RunCounters counters;
    const PhotoJob job = [&](const PlannedPhoto& photo, const RunContext& context) {
        const auto shown = seen.find(photo.path);
        if (shown != seen.end() && !stillAsSeen(photo.path, shown->second))
            return refusal(RefusalReason::ChangedSinceShown);
        return rotate_(photo, options, context);
    };
    const bool whole = runPlan(run, job, [&](const PlannedPhoto& photo, const RotateResult& result) {
        countResult(counters, photo.path, result);
        plan.recordResult(indexOf[photo.path], result);
    });
    ResultMessage message = folderRunResult(counters, !whole, {folder});
    message.text += journalNote_;
    return message;
}

ResultMessage ReviewRun::undo(ReviewPlan& plan, const ProcessingOptions& options, const std::string& journal) {
    const Result<Plan> undoPlan = undoPlanOf(journal, listRuns());
    if (!undoPlan.ok())
        return {"The run cannot be undone: " + undoPlan.refusal().detail, platform::MessageIcon::Warning, ""};
    std::unordered_map<std::string, std::size_t> indexOf;
    for (std::size_t i = 0; i < plan.size(); ++i) indexOf[plan.photo(i).planned.path] = i;
    RunCounters counters;
    const PhotoJob job = [&](const PlannedPhoto& photo, const RunContext& context) {
        return rotate_(photo, options, context);
    };
    const bool whole = runPlan(undoPlan.value(), job, [&](const PlannedPhoto& photo, const RotateResult& result) {
        countResult(counters, photo.path, result);
        const auto index = indexOf.find(photo.path);
        if (index != indexOf.end()) plan.recordUndo(index->second, result);
    });
    ResultMessage message = undoResult(counters, !whole);
    message.text += journalNote_;
    lastJournal_.clear();  // undone: there is nothing left for it to put back
    return message;
}

bool ReviewRun::runPlan(const Plan& run, const PhotoJob& job,
                        const std::function<void(const PlannedPhoto&, const RotateResult&)>& onResult) {
    RunEngine engine(jobs_);
    engine_ = &engine;
    window_.beginRun();
    const WindowRunCount count = runInWindow(engine, run, job, window_, onResult);
    lastJournal_ = engine.journalName();
    journalNote_ = engine.journalNote().empty() ? "" : engine.journalNote() + "\n\n";
    engine_ = nullptr;
    window_.endRun();
    return count.finished == run.size();
}

}  // namespace shell

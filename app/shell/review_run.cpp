#include "app/shell/review_run.h"

#include <sys/stat.h>

#include <unordered_map>
#include <utility>

#include "app/shell/window_run.h"
#include "platform/file_attributes.h"

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
    RunEngine engine(jobs_);
    engine_ = &engine;
    window_.beginRun();
    plan.clearResults();
    RunCounters counters;
    const PhotoJob job = [&](const PlannedPhoto& photo, const RunContext& context) {
        const auto shown = seen.find(photo.path);
        if (shown != seen.end() && !stillAsSeen(photo.path, shown->second))
            return refusal(RefusalReason::ChangedSinceShown);
        return rotate_(photo, options, context);
    };
    const WindowRunCount count =
        runInWindow(engine, run, job, window_, [&](const PlannedPhoto& photo, const RotateResult& result) {
            countResult(counters, photo.path, result);
            plan.recordResult(indexOf[photo.path], result);
        });
    engine_ = nullptr;
    window_.endRun();
    return folderRunResult(counters, count.finished < run.size(), {folder});
}

}  // namespace shell

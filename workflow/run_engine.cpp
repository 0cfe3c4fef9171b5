#include "workflow/run_engine.h"

#include "transform/coefficient_memory.h"

#include <sched.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kPulse{50};

// The workflow answers with results; whatever it throws becomes one too, so that a worker never
// ends the program.
RotateResult skipped(const std::string& why) {
    RotateResult result;
    result.outcome = FileOutcome::Skipped;
    result.detail = why;
    return result;
}

RotateResult turnSafely(const PlannedPhoto& photo, const PhotoJob& job, const RunContext& context) {
    if (photo.knownRefusal.reason != RefusalReason::None) return refusal(photo.knownRefusal);
    if (!photo.skip.empty()) return skipped(photo.skip);
    try {
        return job(photo, context);
    } catch (const std::bad_alloc&) {
        return refusal(RefusalReason::NotEnoughMemory);
    } catch (const std::exception& error) {
        return refusal(RefusalReason::WriteFailed, error.what());
    } catch (...) {
        return refusal(RefusalReason::WriteFailed);
    }
}

enum class FileState : unsigned char { Waiting, InHand, Done };

// One run: the workers take the files in listing order; the calling thread hands the results
// back in the same order. Everything below is guarded by mutex_.
class Run {
public:
    Run(const Plan& files, const PhotoJob& job, const RunContext& context)
        : files_(files), job_(job), context_(context), states_(files.size(), FileState::Waiting), results_(files.size()) {}

    // Stops handing out files and waits for the workers, also when a hook threw.
    ~Run() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopped_ = true;
        }
        for (std::thread& worker : workers_) worker.join();
    }

    void start(unsigned workerCount) {
        for (unsigned i = 0; i < workerCount; ++i) {
            addWorking(1);
            try {
                workers_.emplace_back(&Run::work, this);
            } catch (const std::system_error&) {
                addWorking(-1);
                break;
            }
        }
        if (!workers_.empty()) return;
        addWorking(1);
        work();  // no thread to be had: the calling thread turns the files itself
    }

    void handBack(const RunHooks& hooks) {
        std::unique_lock<std::mutex> lock(mutex_);
        Clock::time_point pulse = Clock::now() + kPulse;
        for (;;) {
            if (reported_ < next_ && states_[reported_] == FileState::Done) {
                const std::size_t index = reported_++;
                const RotateResult result = std::move(results_[index]);
                const RunProgress progress = progressLocked();
                lock.unlock();
                if (hooks.onResult) hooks.onResult(files_[index], result);
                if (hooks.onProgress) hooks.onProgress(progress);
                pulse = Clock::now() + kPulse;
                lock.lock();
            } else if (working_ == 0) {
                return;  // every file handed out is back and handed on
            } else {
                changed_.wait_until(lock, pulse);
                if (Clock::now() < pulse) continue;
                const RunProgress progress = progressLocked();
                lock.unlock();
                if (hooks.onProgress) hooks.onProgress(progress);
                pulse = Clock::now() + kPulse;
                lock.lock();
            }
        }
    }

private:
    void addWorking(int change) {
        std::lock_guard<std::mutex> lock(mutex_);
        working_ += change;
    }

    void work() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (next_ < files_.size() && !context_.cancelled() && !stopped_) {
            const std::size_t index = next_++;
            states_[index] = FileState::InHand;
            lock.unlock();
            RotateResult result = turnSafely(files_[index], job_, context_);
            if (context_.journal) context_.journal->result(files_[index], result);
            lock.lock();
            results_[index] = std::move(result);
            states_[index] = FileState::Done;
            changed_.notify_all();
        }
        --working_;
        changed_.notify_all();
    }

    RunProgress progressLocked() const {
        RunProgress progress;
        progress.filesDone = reported_;
        progress.filesTotal = files_.size();
        for (std::size_t i = reported_; i < next_; ++i) {
            if (states_[i] == FileState::InHand) {
                progress.fileInHand = files_[i].path;
                break;
            }
        }
        return progress;
    }

    const Plan& files_;
    const PhotoJob& job_;
    const RunContext context_;
    std::vector<FileState> states_;
    std::vector<RotateResult> results_;
    std::size_t next_ = 0;      // the next file to hand out
    std::size_t reported_ = 0;  // the next result to hand back
    int working_ = 0;           // workers that have not ended
    bool stopped_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::thread> workers_;
};

}  // namespace

unsigned defaultJobCount() {
    cpu_set_t cores;
    if (::sched_getaffinity(0, sizeof cores, &cores) == 0 && CPU_COUNT(&cores) > 0)
        return static_cast<unsigned>(CPU_COUNT(&cores));
    return std::max(1u, std::thread::hardware_concurrency());
}

RunEngine::RunEngine(unsigned jobs)
    : jobs_(jobs != 0 ? jobs : defaultJobCount()), memory_(machineCoefficientLimit(), cancel_) {}

void RunEngine::run(const Plan& plan, const PhotoJob& job, const RunHooks& hooks) {
    journal_.reset();
    if (plan.empty()) return;
    if (journalled_) journal_ = std::make_unique<RunJournal>(runStartOf(plan));
    {
        Run run(plan, job, context());
        run.start(static_cast<unsigned>(std::min<std::size_t>(jobs_, plan.size())));
        run.handBack(hooks);
    }
    if (journal_) journal_->end(cancelled());
}

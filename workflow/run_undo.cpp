#include "workflow/run_undo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>

#include "platform/content_hash.h"
#include "platform/file_attributes.h"
#include "transform/turns.h"
#include "workflow/natural_order.h"
#include "workflow/run_messages.h"

namespace {

// The hash of the file at `path` when it may be the state `mark` recognises; "" when it is not.
std::string hashIfItMayBe(const std::string& path, const FileMark& mark) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !mark.mayBe(st)) return "";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return "";
    const std::string hash = platform::contentHashOfFile(fd);
    ::close(fd);
    return hash;
}

bool isUndo(const JournalRun& run) { return run.start.mode == "undo"; }

bool mayHaveTurnedAny(const JournalRun& run) {
    return std::any_of(run.photos.begin(), run.photos.end(), [](const JournalPhoto& photo) { return photo.mayHaveBeenTurned(); });
}

// The turn a viewer sees that gives the stored picture `stored` under the tag `orientation`
// (kept): the inverse of storedTurnOf's rule for a tag that is kept.
TransformKind seenTurnFor(TransformKind stored, int orientation) {
    const TransformKind tag = turnForOrientation(orientation);
    return composed(composed(inverse(tag), stored), tag);
}

// Why an earlier undo of that run leaves the photo alone: it put the photo back already.
std::string putBackBefore(const std::string& file, const std::string& name, const std::vector<JournalRun>& runs) {
    for (const JournalRun& undo : runs) {
        if (!isUndo(undo) || undo.start.undoes != name) continue;
        for (const JournalPhoto& photo : undo.photos) {
            if (photo.entry.file != file) continue;
            const bool done = photo.outcome == "turned" ||
                              (photo.mayHaveBeenTurned() && hashIfItMayBe(file, photo.entry.turned) == photo.entry.turned.hash);
            if (done) return "it was put back already by the undo of " + undo.startedText();
        }
    }
    return "";
}

}  // namespace

std::string lastUndoableRun(const std::vector<JournalRun>& runs) {
    for (auto run = runs.rbegin(); run != runs.rend(); ++run)
        if (!isUndo(*run) && mayHaveTurnedAny(*run)) return run->name;
    return "";
}

bool wasUndone(const JournalRun& run, const std::vector<JournalRun>& runs) {
    return std::any_of(runs.begin(), runs.end(), [&](const JournalRun& other) {
        return isUndo(other) && other.start.undoes == run.name;
    });
}

Result<Plan> undoPlanOf(const std::string& name, const std::vector<JournalRun>& runs) {
    const auto run = std::find_if(runs.begin(), runs.end(), [&](const JournalRun& known) { return known.name == name; });
    if (run == runs.end()) return refuse(RefusalReason::CannotRead, "no run is named '" + name + "'");
    if (isUndo(*run)) return refuse(RefusalReason::Unsupported, "'" + name + "' is an undo, which is not undone in turn");
    Plan plan;
    for (const JournalPhoto& photo : run->photos) {
        if (!photo.announced || !photo.mayHaveBeenTurned()) continue;
        PlannedPhoto undo;
        undo.path = photo.entry.file;
        undo.reason = TurnReason::Undo;
        undo.turn = seenTurnFor(inverse(photo.entry.stored), photo.entry.orientationAfter);
        undo.undo = std::make_shared<UndoTarget>(UndoTarget{name, photo.entry});
        undo.skip = putBackBefore(photo.entry.file, name, runs);
        plan.push_back(std::move(undo));
    }
    // The journal has them in the order the workers finished: put back in name order instead.
    std::stable_sort(plan.begin(), plan.end(), [](const PlannedPhoto& a, const PlannedPhoto& b) { return naturalLess(a.path, b.path); });
    return plan;
}

std::vector<EarlierTurn> turnedBefore(const Plan& plan, const std::vector<JournalRun>& runs) {
    // Each file's states that runs left it in, oldest first: turned, or put back by an undo.
    struct Left {
        const FileMark* mark;
        bool putBack;
        std::string date;
    };
    std::map<std::string, std::vector<Left>> states;
    for (const JournalRun& run : runs)
        for (const JournalPhoto& photo : run.photos)
            if (photo.announced && photo.mayHaveBeenTurned())
                states[photo.entry.file].push_back({&photo.entry.turned, isUndo(run), run.startedText()});
    std::vector<EarlierTurn> earlier;
    if (states.empty()) return earlier;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const PlannedPhoto& photo = plan[i];
        if (photo.reason != TurnReason::Fixed || !photo.skip.empty() || photo.knownRefusal.reason != RefusalReason::None) continue;
        const std::string file = platform::absolutePathOf(platform::fileBehindLink(photo.path));
        const auto found = states.find(file);
        if (found == states.end()) continue;
        // The newest state the file is still in decides.
        for (auto state = found->second.rbegin(); state != found->second.rend(); ++state) {
            if (hashIfItMayBe(file, *state->mark) != state->mark->hash || state->mark->hash.empty()) continue;
            if (!state->putBack) earlier.push_back({i, state->date});
            break;
        }
    }
    return earlier;
}

void skipTurnedBefore(Plan& plan, const std::vector<EarlierTurn>& earlier) {
    for (const EarlierTurn& turn : earlier) plan[turn.index].skip = turnedBeforeText(turn.date);
}

std::string earlierTurnDates(const std::vector<EarlierTurn>& earlier) {
    if (earlier.empty()) return "";
    auto [first, last] = std::minmax_element(earlier.begin(), earlier.end(),
                                             [](const EarlierTurn& a, const EarlierTurn& b) { return a.date < b.date; });
    if (first->date == last->date) return "on " + first->date;
    return "between " + first->date + " and " + last->date;
}

#include "workflow/run_state.h"

#include "transform/turns.h"

std::string turnedText(const RotateResult& result) {
    if (!result.putBack.empty()) return "put back " + result.putBack;
    return turnName(result.turn);
}

void countResult(RunCounters& counters, const std::string& path, const RotateResult& result) {
    switch (result.outcome) {
    case FileOutcome::Cancelled: return;
    case FileOutcome::Rotated:
        ++counters.filesRotated;
        if (!result.thumbnailNotTurned.empty()) ++counters.thumbnailsNotTurned;
        counters.turned.push_back({path, turnedText(result)});
        break;
    case FileOutcome::AlreadyUpright:
        ++counters.filesUpright;
        counters.left.push_back({path, "already upright"});
        break;
    case FileOutcome::Skipped:
        ++counters.filesSkipped;
        counters.left.push_back({path, result.detail});
        break;
    case FileOutcome::Refused: counters.failures.push_back({path, refusalText(result)}); break;
    }
    ++counters.filesRead;
}

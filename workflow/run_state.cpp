#include "workflow/run_state.h"

#include "transform/turns.h"
#include "workflow/run_messages.h"

std::string turnedText(const RotateResult& result) {
    if (!result.putBack.empty()) return "put back " + result.putBack;
    const std::string strips = edgeStripsText(result.strip, result.thumbnailStrip);
    return turnName(result.turn) + (strips.empty() ? "" : "; " + strips);
}

void countResult(RunCounters& counters, const std::string& path, const RotateResult& result) {
    switch (result.outcome) {
    case FileOutcome::Cancelled: return;
    case FileOutcome::Rotated:
        ++counters.filesRotated;
        if (!result.thumbnailNotTurned.empty()) ++counters.thumbnailsNotTurned;
        if (result.strip.any() || result.thumbnailStrip.any())
            counters.stripped.push_back({path, result.strip, result.thumbnailStrip});
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

#include "workflow/run_state.h"

void countResult(RunCounters& counters, const std::string& path, const RotateResult& result) {
    switch (result.outcome) {
    case FileOutcome::Cancelled: return;
    case FileOutcome::Rotated:
        ++counters.filesRotated;
        if (!result.thumbnailNotTurned.empty()) ++counters.thumbnailsNotTurned;
        if (result.strip.any() || result.thumbnailStrip.any())
            counters.stripped.push_back({path, result.strip, result.thumbnailStrip});
        break;
    case FileOutcome::AlreadyUpright: ++counters.filesUpright; break;
    case FileOutcome::Refused: counters.failures.push_back({path, refusalText(result)}); break;
    }
    ++counters.filesRead;
}

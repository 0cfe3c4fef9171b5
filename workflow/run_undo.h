#pragma once
// What the journal of earlier runs decides before a run: the plan that undoes a run, and the
// photos that a run with a fixed turn would turn a second time.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/refusal.h"
#include "workflow/plan.h"
#include "workflow/run_journal.h"

// The newest of `runs` (oldest first, as listRuns gives them) that is no undo and may have turned
// a photo; "" when there is none.
std::string lastUndoableRun(const std::vector<JournalRun>& runs);

// Whether an undo of `run` is among `runs`.
bool wasUndone(const JournalRun& run, const std::vector<JournalRun>& runs);

// The plan that undoes the run named `name`: every photo it turned, or may have turned before it
// was killed, put back (TurnReason::Undo; the per-photo workflow puts back only the file the run
// left). Photos an earlier undo of that run put back are skipped. Refused for a name no run has,
// and for an undo, which is not undone in turn.
Result<Plan> undoPlanOf(const std::string& name, const std::vector<JournalRun>& runs);

// A photo of a plan that an earlier run turned and that is unchanged since.
struct EarlierTurn {
    std::size_t index;  // in the plan
    std::string date;   // when that run began, as JournalRun::startedText says it
};

// The photos of `plan` with a fixed turn that the journal shows turned by an earlier run and
// unchanged since: size and modification time first, then the content hash. A photo put back by
// an undo since counts as not turned.
std::vector<EarlierTurn> turnedBefore(const Plan& plan, const std::vector<JournalRun>& runs);

// Marks those photos to be skipped, each with the reason (run_messages' turnedBeforeText).
void skipTurnedBefore(Plan& plan, const std::vector<EarlierTurn>& earlier);

// "on 2026-03-05 15:03", or "between 2026-03-01 09:12 and 2026-03-05 15:03" when they differ.
std::string earlierTurnDates(const std::vector<EarlierTurn>& earlier);

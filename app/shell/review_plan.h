#pragma once
// The review's plan: every photo of the folder with the turn it is to get, what its header says
// of that turn once it was read, and what became of it in the last run. It starts as the folder
// command would run (the fixed quarter turn, or upright by the tag), and the user changes it one
// selection at a time; each choice composes with what is planned, as the viewer sees it.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/source_file.h"
#include "workflow/folder_walk.h"
#include "workflow/foresight.h"
#include "workflow/plan.h"
#include "workflow/processing_options.h"
#include "workflow/run_journal.h"
#include "workflow/rotate_result.h"

namespace shell {

enum class ReviewChoice { TurnLeft, TurnRight, TurnHalf, FlipHorizontally, FlipVertically, Leave };

// The choices, in one table: what each composes with the planned turn and how it is named.
struct ChoiceFacts {
    ReviewChoice choice;
    TransformKind then;  // composed after the planned turn (Leave: none, and no tag change either)
    const char* name;    // "Turn left", for buttons and menus
    const char* tip;     // "A quarter turn counter-clockwise"
};
const ChoiceFacts& choiceFacts(ReviewChoice choice);
const std::vector<ReviewChoice>& reviewChoices();  // in the order the toolbar shows them

// What the last run, or its undo, made of a photo.
enum class TileResult { None, Turned, Refused, LeftAsItWas, ChangedOnDisk, PutBack };

struct ReviewPhoto {
    PlannedPhoto planned;       // once `factsKnown`, its foresight is that of `facts`
    PhotoFacts facts;
    bool factsKnown = false;
    bool chosen = false;        // the user changed its plan since the last run
    // The file as the picture on its tile was made from; a run turns it only in that state.
    std::optional<platform::FileIdentity> seen;
    bool turnedPictureShown = false;  // its tile shows the picture it was turned into: the next
                                      // identity read is the one that picture stands for
    TileResult result = TileResult::None;
    std::string resultReason;   // of a refusal
    std::optional<PlannedPhoto> beforeTurn;  // the plan the last run turned it by: what undo restores
    std::string turnedBefore;   // when an earlier run turned it, as it is still: "2026-03-05 15:03"
};

class ReviewPlan {
public:
    // The listed files as the folder command would plan them with `options`.
    ReviewPlan(const std::vector<RunFile>& files, const ProcessingOptions& options);

    std::size_t size() const { return photos_.size(); }
    const ReviewPhoto& photo(std::size_t index) const { return photos_[index]; }
    std::vector<std::string> paths() const;

    // The photos of a fixed turn that an earlier run of `runs` turned and that are as it left them
    // are planned to stay as they are: a second quarter turn would put them on their side again.
    void leaveTurnedBefore(const std::vector<JournalRun>& runs);

    // `choice` on each of `indexes` (out of range ones are left out).
    void choose(const std::vector<std::size_t>& indexes, ReviewChoice choice);

    // What a visit of the photo found; `withPicture` when its tile's picture was made from the
    // same read. True when the photo changed since its tile was made: the tile must be made again.
    bool learn(std::size_t index, const PhotoFacts& facts, bool withPicture);

    // Known to be refused: when it was listed, or by its header and file.
    bool refused(std::size_t index) const;
    // As far as is known, the run would change it (a photo of unknown header counts when its
    // plan turns it; one made upright by its tag only once its tag is known).
    bool willChange(std::size_t index) const;
    // The number of photos willChange holds for: what "Turn N photos" turns.
    std::size_t toTurn() const;
    // Photos whose plan the user changed and that a run would change.
    std::size_t chosenChanges() const;
    // The indexes a run takes, in order: those that will change, and those planned to change
    // that are known to be refused (so that the result names them with their reason).
    std::vector<std::size_t> runIndexes() const;

    // The result of a photo of the run. A turned photo's plan becomes "leave as it is": it now is
    // as planned, and its facts are read again.
    void recordResult(std::size_t index, const RotateResult& result);
    // The result of a photo of the undo of the last run. A photo put back gets the plan it was
    // turned by again, and its facts are read again.
    void recordUndo(std::size_t index, const RotateResult& result);
    // Before the results of a new run: every photo is left as it was until its result says otherwise.
    void clearResults();

private:
    void foresee(ReviewPhoto& photo);
    ProcessingOptions options_;  // the switches the plan was made with; foresight needs them
    std::vector<ReviewPhoto> photos_;
};

}  // namespace shell

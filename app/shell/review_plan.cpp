#include "app/shell/review_plan.h"

#include "transform/turns.h"
#include "workflow/run_undo.h"

namespace shell {
namespace {

using K = TransformKind;

const ChoiceFacts kChoices[] = {
    {ReviewChoice::TurnLeft, K::Rotate270, "Turn left", "A quarter turn counter-clockwise"},
    {ReviewChoice::TurnRight, K::Rotate90, "Turn right", "A quarter turn clockwise"},
    {ReviewChoice::TurnHalf, K::Rotate180, "Turn 180 degrees", "Upside down"},
    {ReviewChoice::FlipHorizontally, K::FlipHorizontal, "Flip horizontally", "Mirrored left to right"},
    {ReviewChoice::FlipVertically, K::FlipVertical, "Flip vertically", "Mirrored top to bottom"},
    {ReviewChoice::Leave, K::None, "Leave as it is", "No turn and no change of the orientation tag"},
};

bool plannedToChange(const PlannedPhoto& planned) { return planned.turn != K::None || planned.upright; }

}  // namespace

const ChoiceFacts& choiceFacts(ReviewChoice choice) {
    for (const ChoiceFacts& facts : kChoices)
        if (facts.choice == choice) return facts;
    return kChoices[0];
}

const std::vector<ReviewChoice>& reviewChoices() {
    static const std::vector<ReviewChoice> choices = [] {
        std::vector<ReviewChoice> all;
        for (const ChoiceFacts& facts : kChoices) all.push_back(facts.choice);
        return all;
    }();
    return choices;
}

ReviewPlan::ReviewPlan(const std::vector<RunFile>& files, const ProcessingOptions& options)
    : options_(options) {
    for (PlannedPhoto& planned : planOf(files, K::Rotate270, options.AutoOrient != 0)) {
        ReviewPhoto photo;
        photo.planned = std::move(planned);
        photos_.push_back(std::move(photo));
    }
}

std::vector<std::string> ReviewPlan::paths() const {
    std::vector<std::string> paths;
    paths.reserve(photos_.size());
    for (const ReviewPhoto& photo : photos_) paths.push_back(photo.planned.path);
    return paths;
}

void ReviewPlan::foresee(ReviewPhoto& photo) {
    if (photo.factsKnown) photo.planned.foresight = foreseeTurn(photo.planned, options_, photo.facts);
}

void ReviewPlan::leaveTurnedBefore(const std::vector<JournalRun>& runs) {
    Plan plan;
    for (const ReviewPhoto& photo : photos_) plan.push_back(photo.planned);
    for (const EarlierTurn& earlier : turnedBefore(plan, runs)) {
        ReviewPhoto& photo = photos_[earlier.index];
        photo.planned.turn = K::None;
        photo.planned.upright = false;
        photo.turnedBefore = earlier.date;
        foresee(photo);
    }
}

void ReviewPlan::choose(const std::vector<std::size_t>& indexes, ReviewChoice choice) {
    const ChoiceFacts& facts = choiceFacts(choice);
    for (std::size_t index : indexes) {
        if (index >= photos_.size()) continue;
        ReviewPhoto& photo = photos_[index];
        PlannedPhoto& planned = photo.planned;
        if (choice == ReviewChoice::Leave) {
            planned.turn = K::None;
            planned.upright = false;
        } else {
            planned.turn = composed(planned.turn, facts.then);
        }
        planned.reason = TurnReason::Choice;
        photo.chosen = true;
        photo.result = TileResult::None;  // the tile shows the new plan, not the last run
        foresee(photo);
    }
}

bool ReviewPlan::learn(std::size_t index, const PhotoFacts& facts, bool withPicture) {
    if (index >= photos_.size()) return false;
    ReviewPhoto& photo = photos_[index];
    bool changed = false;
    if (facts.headerRead && photo.turnedPictureShown) {
        photo.seen = facts.identity;  // the picture it was turned into is shown already
        photo.turnedPictureShown = false;
    } else if (withPicture) {
        changed = photo.seen && *photo.seen != facts.identity;
        photo.seen = facts.identity;
    } else if (photo.seen && *photo.seen != facts.identity) {
        changed = true;
        photo.seen.reset();  // its tile shows a file that is no more: not to be turned unseen
    }
    if (changed) photo.result = TileResult::ChangedOnDisk;
    photo.facts = facts;
    photo.factsKnown = true;
    foresee(photo);
    return changed && !withPicture;
}

bool ReviewPlan::refused(std::size_t index) const {
    const ReviewPhoto& photo = photos_[index];
    if (photo.planned.knownRefusal.reason != RefusalReason::None) return true;
    return photo.factsKnown && photo.planned.foresight.refusal.reason != RefusalReason::None;
}

bool ReviewPlan::willChange(std::size_t index) const {
    const ReviewPhoto& photo = photos_[index];
    if (refused(index)) return false;
    if (photo.factsKnown) return !photo.planned.foresight.nothingToDo();
    return photo.planned.turn != K::None;
}

std::size_t ReviewPlan::toTurn() const {
    std::size_t count = 0;
    for (std::size_t i = 0; i < photos_.size(); ++i) count += willChange(i) ? 1 : 0;
    return count;
}

std::size_t ReviewPlan::chosenChanges() const {
    std::size_t count = 0;
    for (std::size_t i = 0; i < photos_.size(); ++i) count += photos_[i].chosen && willChange(i) ? 1 : 0;
    return count;
}

std::vector<std::size_t> ReviewPlan::runIndexes() const {
    std::vector<std::size_t> indexes;
    for (std::size_t i = 0; i < photos_.size(); ++i)
        if (willChange(i) || (refused(i) && plannedToChange(photos_[i].planned))) indexes.push_back(i);
    return indexes;
}

void ReviewPlan::clearResults() {
    for (ReviewPhoto& photo : photos_) {
        photo.beforeTurn.reset();
        photo.result = TileResult::LeftAsItWas;
        photo.resultReason.clear();
    }
}

void ReviewPlan::recordResult(std::size_t index, const RotateResult& result) {
    if (index >= photos_.size()) return;
    ReviewPhoto& photo = photos_[index];
    photo.resultReason.clear();
    switch (result.outcome) {
    case FileOutcome::Rotated:
        photo.result = TileResult::Turned;
        photo.beforeTurn = photo.planned;
        photo.planned.turn = K::None;
        photo.planned.upright = false;
        photo.planned.reason = TurnReason::Choice;
        photo.chosen = false;
        photo.factsKnown = false;  // read again: its header is another now
        photo.turnedPictureShown = true;
        break;
    case FileOutcome::Refused:
        if (result.reason == RefusalReason::ChangedSinceShown) {
            photo.result = TileResult::ChangedOnDisk;
            photo.seen.reset();
            photo.factsKnown = false;
        } else {
            photo.result = TileResult::Refused;
            photo.resultReason = refusalText(result);
        }
        break;
    case FileOutcome::AlreadyUpright:
    case FileOutcome::Skipped:
    case FileOutcome::Cancelled: photo.result = TileResult::LeftAsItWas; break;
    }
}

void ReviewPlan::recordUndo(std::size_t index, const RotateResult& result) {
    if (index >= photos_.size()) return;
    ReviewPhoto& photo = photos_[index];
    if (result.outcome == FileOutcome::Refused) {
        photo.result = TileResult::Refused;
        photo.resultReason = refusalText(result);
        return;
    }
    if (result.outcome != FileOutcome::Rotated || !photo.beforeTurn) return;
    photo.planned = *photo.beforeTurn;
    photo.beforeTurn.reset();
    photo.chosen = photo.planned.reason == TurnReason::Choice;
    photo.result = TileResult::PutBack;
    photo.resultReason.clear();
    photo.factsKnown = false;
    photo.turnedPictureShown = true;
}

}  // namespace shell

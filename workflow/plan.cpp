#include "workflow/plan.h"

#include "transform/turns.h"

TransformKind storedTurnOf(TransformKind turn, bool upright, int orientation) {
    const TransformKind tag = turnForOrientation(orientation);
    if (upright) return composed(tag, turn);
    return composed(composed(tag, turn), inverse(tag));
}

bool tagResetBy(bool upright, int orientation) { return upright && orientation > 1 && orientation <= 8; }

PlannedPhoto plannedFor(const std::string& path, TransformKind fixedTurn, bool byOrientation) {
    PlannedPhoto photo;
    photo.path = path;
    photo.turn = byOrientation ? TransformKind::None : fixedTurn;
    photo.upright = byOrientation;
    photo.reason = byOrientation ? TurnReason::Orientation : TurnReason::Fixed;
    return photo;
}

std::string reasonText(const PlannedPhoto& photo) {
    switch (photo.reason) {
    case TurnReason::Fixed: return "fixed turn";
    case TurnReason::Choice: return "choice";
    case TurnReason::Undo: return "undo";
    case TurnReason::Orientation: break;
    }
    return photo.foresight.known ? "orientation " + std::to_string(photo.foresight.orientation) : "orientation";
}

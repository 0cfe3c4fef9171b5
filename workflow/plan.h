#pragma once
// A run as a plan: each photo with the turn it is to get and why, and, where its header was read
// before the run, what that turn will do (already upright, an edge strip dropped, a refusal known
// in advance). The folder command, the console, the dry run and the review make plans; one engine
// runs them.

#include <memory>
#include <string>
#include <vector>

#include "platform/refusal.h"
#include "transform/transform_setup.h"
#include "workflow/edge_strip.h"

enum class TurnReason {
    Fixed,        // the main job's turn, the same for every photo
    Orientation,  // the photo's Orientation tag: made upright, the tag reset
    Choice,       // chosen for this photo by the user (the review, an edited plan)
    Undo,         // an earlier run's turn undone (workflow/run_undo.h)
};

struct UndoTarget;  // workflow/run_journal.h

// What a photo's header and file say of its planned turn, before its picture data is read.
struct Foresight {
    bool known = false;          // the header was read; the fields below hold
    int orientation = 0;         // its Orientation tag (0: none), or the XMP's where it has none
    std::string orientationNote; // "" or where its Exif, XMP and sidecar orientations disagreed
    TransformKind stored = TransformKind::None;  // the turn its stored picture gets
    int width = 0, height = 0;   // its stored picture's size
    EdgeStrip strip;
    Refusal refusal;             // a reason known in advance: the turn would be refused for it
    bool nothingToDo() const { return refusal.reason == RefusalReason::None && stored == TransformKind::None && !tagChanges; }
    bool tagChanges = false;     // the Orientation tag is set to 1
};

struct PlannedPhoto {
    std::string path;
    // The turn as a viewer that honours the Orientation tag shows it: what the user sees happen.
    TransformKind turn = TransformKind::None;
    // The stored picture is made upright by its Orientation tag first, and the tag set to 1: a
    // viewer shows the photo as before, turned by `turn`.
    bool upright = false;
    TurnReason reason = TurnReason::Fixed;
    Refusal knownRefusal;  // known when it was listed (a pipe, several names): it is never opened
    Foresight foresight;
    // Non-empty: the run leaves the photo as it is (FileOutcome::Skipped) for this reason, such
    // as an earlier run having turned it already.
    std::string skip;
    // TurnReason::Undo: the earlier run's turn of this photo that is undone.
    std::shared_ptr<const UndoTarget> undo;
};

using Plan = std::vector<PlannedPhoto>;

// The turn the stored picture of a photo with Orientation `orientation` gets, so that a viewer
// shows it turned by `turn`: with `upright` the tag's own turn first; otherwise, the tag being
// kept, `turn` seen through the tag (for tags that only rotate, `turn` itself).
TransformKind storedTurnOf(TransformKind turn, bool upright, int orientation);

// Whether the Orientation tag is set to 1 by the planned turn.
bool tagResetBy(bool upright, int orientation);

// The plan of the main job for one file: the fixed turn, or upright by the Orientation tag.
PlannedPhoto plannedFor(const std::string& path, TransformKind fixedTurn, bool byOrientation);

// "fixed turn", "orientation 6" (the value known, else "orientation") or "choice".
std::string reasonText(const PlannedPhoto& photo);

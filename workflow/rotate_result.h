#pragma once
// What became of one photo: turned, already upright, refused for a reason, or abandoned by a
// cancel. The reasons are values, so that every front end words them the same way.

#include <string>

#include "platform/refusal.h"
#include "transform/transform_setup.h"
#include "workflow/edge_strip.h"

enum class FileOutcome {
    Rotated,         // the turned photo stands in its place (in a dry run: it would)
    AlreadyUpright,  // turning by the orientation tag asked for nothing; the file was not touched
    Refused,         // the photo is untouched; `reason` says why
    Skipped,         // the plan left it as it was (turned by an earlier run, already put back); `detail` says why
    Cancelled,       // the run was cancelled while this photo was in hand; it is untouched
};


struct RotateResult {
    FileOutcome outcome = FileOutcome::Refused;
    RefusalReason reason = RefusalReason::None;
    std::string detail;               // the library's or the system's own words; may be empty
    TransformKind turn = TransformKind::None;  // the turn its stored picture got (or would get)
    std::string thumbnailNotTurned;   // non-empty: the photo has a thumbnail that stays as it was, and why
    std::string reencoded;            // non-empty: a further picture was turned through its pixels, which and why
    std::string metadataNote;         // non-empty: what its metadata said that disagreed, or did not follow
    bool earlierBackupKept = false;   // an existing ".bak" was left as it was instead of a new one
    EdgeStrip strip;                  // what the turn dropped at the picture's edges
    EdgeStrip thumbnailStrip;         // what the turn of its thumbnail dropped at the thumbnail's edges
    int orientationBefore = 0;        // its Orientation tag as found (0: none)
    int orientationAfter = 0;         // and as it is now
    std::string putBack;              // an undo: "from its backup", "from the Trash" or "by the inverse turn"

    bool rotated() const { return outcome == FileOutcome::Rotated; }
};

// The reason with the detail behind it, as one text: "damaged picture data (Corrupt JPEG data: ...)".
std::string refusalText(const RotateResult& result);

// A result that refuses with `reason` and `detail`.
RotateResult refusal(RefusalReason reason, std::string detail = {});
RotateResult refusal(const Refusal& why);

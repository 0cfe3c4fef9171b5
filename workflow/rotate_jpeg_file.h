#pragma once
// The per-file workflow: one photograph turned a quarter turn counter-clockwise, its Exif
// thumbnail with it, the Exif block and comment kept, the file times set. All or nothing.

#include <string>

#include "platform/status_line.h"
#include "workflow/plan.h"
#include "workflow/processing_options.h"
#include "workflow/rotate_result.h"

// Turns the planned photo (a link is followed and its target rewritten) as its plan says, reading
// Backup and EXIFTimestamp from `options` and writing "Processing file <path>" to `status` first,
// and says what became of the photo and why. Unless it is Rotated, the photo is untouched under
// its name and no temporary file is left. What a dry run asks instead is foresee's (foresight.h).
RotateResult turnPlannedPhoto(const PlannedPhoto& planned, const ProcessingOptions& options, const TurnSettings& settings,
                              platform::StatusLine& status);

// The main job's plan for `path` (the fixed turn settings.kind, or upright by the Orientation tag
// with options.AutoOrient), turned.
RotateResult rotatePhoto(const std::string& path, const ProcessingOptions& options, const TurnSettings& turn,
                         platform::StatusLine& status);

#pragma once
// The per-file workflow: one photograph turned a quarter turn counter-clockwise, its Exif
// thumbnail with it, the Exif block and comment kept, the file times set. All or nothing.

#include <string>

#include "platform/status_line.h"
#include "workflow/processing_options.h"
#include "workflow/rotate_result.h"

// Turns the JPEG file at `path` (a link is followed and its target rewritten) by `turn` (or, with
// options.AutoOrient, by the photo's Orientation tag), reading Backup and EXIFTimestamp from
// `options` and writing "Processing file <path>" to `status` first, and says what became of the
// photo and why. Unless it is Rotated, the photo is untouched under its name and no temporary
// file is left.
RotateResult rotatePhoto(const std::string& path, const ProcessingOptions& options, const TurnSettings& turn,
                         platform::StatusLine& status);

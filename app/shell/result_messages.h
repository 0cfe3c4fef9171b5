#pragma once
// The messages that end a run, as the window shows them: the fixed texts of a run with the
// reasons, notes and counts around them. The fixed texts themselves come from run_messages.

#include <string>

#include "platform/message_sink.h"
#include "workflow/rotate_result.h"
#include "workflow/run_state.h"

namespace shell {

struct ResultMessage {
    std::string text;
    platform::MessageIcon icon = platform::MessageIcon::None;
    std::string details;  // the files that could not be rotated, one "path: reason" a line; may be empty
};

// 103 for a turned photo (with a line for each note), 104 with the reason below it for a photo
// left as it was, or a line saying the photo already stood upright.
ResultMessage oneFileResult(const std::string& path, const RotateResult& result);

// 106 or 107, unchanged; above it a line when the run was cancelled, below it the photos already
// upright (when `turnedByTag` and files were read), the thumbnails left as they were and the files that could not be
// rotated, whose list with the reasons goes into the details.
ResultMessage folderRunResult(const RunCounters& counters, bool cancelled, bool turnedByTag);

// "Not file or path: PATH", for a launch path that names neither.
ResultMessage notFileOrPathResult(const std::string& path);

}  // namespace shell

#pragma once
// The messages that end a run, as the window shows them: the texts of run_messages (the fixed
// texts and the reason, note, cancel and count lines beside them) put together for a message box.

#include <string>
#include <vector>

#include "platform/message_sink.h"
#include "workflow/rotate_result.h"
#include "workflow/run_state.h"

namespace shell {

struct ResultMessage {
    std::string text;
    platform::MessageIcon icon = platform::MessageIcon::None;
    // The files that could not be rotated, one "path: reason" a line, then those that lost an edge
    // strip, one "path: strip" a line (a photo alone: its thumbnail's strip); may be empty.
    std::string details;
};

// 103 for a turned photo (with a line for each note, the edge strip its picture lost first), 104 with the reason below it for a photo
// left as it was (refused, or abandoned by a cancel), or the line saying it already stood upright.
ResultMessage oneFileResult(const std::string& path, const RotateResult& result);

// 106 or 107, unchanged; above it the cancelled line (with a warning against running the folder
// again), below it the photos already upright (or that there was nothing to turn), those that lost
// an edge strip, the thumbnails not turned and the files that could not be rotated; the details
// list the files that could not be rotated with the reasons, then the photos with the strips they
// lost. Below 107 of a run that was not cancelled, a line for each of the run's `targets`
// saying that it holds no JPEG files. A warning icon only for a cancel or a failure.
ResultMessage folderRunResult(const RunCounters& counters, bool cancelled, const std::vector<std::string>& targets = {});

// "Not file or path: PATH", for a launch path that names neither.
ResultMessage notFileOrPathResult(const std::string& path);

}  // namespace shell

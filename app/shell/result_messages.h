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
    // What the run did to each file, one "path: what" a line under a heading for those that could
    // not be rotated, those turned (with the edge strips they lost) and those left as they were; a
    // photo alone: its thumbnail's strip; may be empty.
    std::string details;
};

// 103 for a turned photo (with a line for each note, the edge strip its picture lost first), 104 with the reason below it for a photo
// left as it was (refused, or abandoned by a cancel), or the line saying it already stood upright.
ResultMessage oneFileResult(const std::string& path, const RotateResult& result);

// 106 or 107, unchanged; above it the cancelled line (saying that the details name the files
// already turned), below it the photos already upright (or that there was nothing to turn), those
// that lost an edge strip, those an earlier run turned, the thumbnails not turned and the files
// that could not be rotated; the details list every file with what became of it, the strips it
// lost with it. Below 107 of a run that was not cancelled, a line for each of the run's `targets`
// saying that it holds no JPEG files. A warning icon only for a cancel or a failure.
ResultMessage folderRunResult(const RunCounters& counters, bool cancelled, const std::vector<std::string>& targets = {});

// The result of an undo: the photos put back, those already as they were, those left (with the
// reasons in the details).
ResultMessage undoResult(const RunCounters& counters, bool cancelled);

// The question before a run with a fixed turn when `count` of its photos were turned already by
// an earlier run (`dates` as earlierTurnDates says them), and its three answers.
std::string turnAgainQuestion(std::size_t count, const std::string& dates);
inline const std::vector<std::string> kTurnAgainAnswers = {"Turn again", "Skip them", "Cancel"};

// "Not file or path: PATH", for a launch path that names neither.
ResultMessage notFileOrPathResult(const std::string& path);

}  // namespace shell

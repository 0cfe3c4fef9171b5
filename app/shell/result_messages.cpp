#include "app/shell/result_messages.h"

#include "workflow/run_messages.h"

namespace shell {
namespace {

using platform::MessageIcon;

std::string counted(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string notesOf(const RotateResult& result) {
    std::string notes;
    if (!result.thumbnailNotTurned.empty())
        notes += "Its thumbnail was left as it was: " + result.thumbnailNotTurned + "\n\n";
    if (result.earlierBackupKept) notes += "The backup made by an earlier run was kept as it was.\n\n";
    return notes;
}

}  // namespace

ResultMessage oneFileResult(const std::string& path, const RotateResult& result) {
    switch (result.outcome) {
    case FileOutcome::Rotated: return {oneFileMessage(1, path) + notesOf(result), MessageIcon::None, {}};
    case FileOutcome::AlreadyUpright:
        return {"\n\nFile " + path + " already stands upright; it was left as it was\n\n", MessageIcon::None, {}};
    case FileOutcome::Cancelled:
        return {oneFileMessage(0, path) + "Reason: the run was cancelled; the file was left as it was\n\n",
                MessageIcon::Warning, {}};
    case FileOutcome::Refused: break;
    }
    return {oneFileMessage(0, path) + "Reason: " + refusalText(result) + "\n\n", MessageIcon::Warning, {}};
}

ResultMessage folderRunResult(const RunCounters& counters, bool cancelled, bool turnedByTag) {
    ResultMessage message;
    if (cancelled) {
        message.text = "The run was cancelled: the files it had not reached are as they were.\n"
                       "Running it again would turn the files already rotated a second time.";
        message.icon = MessageIcon::Warning;
    }
    message.text += folderRunMessage(counters);
    if (turnedByTag && counters.filesRead > 0)
        message.text += counted(counters.filesUpright, "file already upright, left as it was",
                                "files already upright, left as they were") + "\n\n";
    if (counters.thumbnailsNotTurned > 0)
        message.text += counted(counters.thumbnailsNotTurned, "rotated file keeps its", "rotated files keep their") +
                        " thumbnail as it was\n\n";
    if (!counters.failures.empty()) {
        message.text += counted(static_cast<int>(counters.failures.size()), "file", "files") +
                        " could not be rotated; the details name each with the reason\n\n";
        message.icon = MessageIcon::Warning;
        for (const RunFailure& failure : counters.failures)
            message.details += failure.path + ": " + failure.reason + "\n";
    }
    return message;
}

ResultMessage notFileOrPathResult(const std::string& path) {
    return {"Not file or path: " + path, MessageIcon::Warning, {}};
}

}  // namespace shell

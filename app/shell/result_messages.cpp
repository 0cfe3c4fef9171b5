#include "app/shell/result_messages.h"

#include "workflow/run_messages.h"

namespace shell {
namespace {

using platform::MessageIcon;

// Lines below a message, each followed by a blank line as the fixed texts are; empty ones left out.
std::string paragraphs(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines)
        if (!line.empty()) text += line + "\n\n";
    return text;
}

}  // namespace

ResultMessage oneFileResult(const std::string& path, const RotateResult& result) {
    switch (result.outcome) {
    case FileOutcome::Rotated: {
        // The picture's strip is said with the result; the thumbnail's, a smaller matter, behind it.
        const std::string thumbnail = edgeStripsText({}, result.thumbnailStrip);
        return {oneFileMessage(1, path) +
                    paragraphs({edgeStripNote(result), thumbnailNote(result), reencodedNote(result), metadataNote(result),
                                earlierBackupNote(result)}),
                MessageIcon::None, thumbnail.empty() ? "" : thumbnail + "\n"};
    }
    case FileOutcome::AlreadyUpright: return {alreadyUprightMessage(path), MessageIcon::None, {}};
    case FileOutcome::Cancelled:
        return {oneFileMessage(0, path) + "Reason: the run was cancelled; the file was left as it was\n\n",
                MessageIcon::Warning, {}};
    case FileOutcome::Refused: break;
    }
    return {oneFileMessage(0, path) + paragraphs({refusalReasonLine(result)}), MessageIcon::Warning, {}};
}

ResultMessage folderRunResult(const RunCounters& counters, bool cancelled, const std::vector<std::string>& targets) {
    ResultMessage message;
    if (cancelled) {
        // Said in the window only: a desktop user's next step is often to start the same folder again.
        message.text = runCancelledLine() + "\nRunning it again would turn the files already rotated a second time.";
        message.icon = MessageIcon::Warning;
    }
    const std::size_t failed = counters.failures.size();
    const std::string failedLine =
        failed == 0 ? "" : std::to_string(failed) + (failed == 1 ? " file" : " files") +
                               " could not be rotated; the details name each with the reason";
    // Nothing to turn says what the count of files already upright would; what the walk found
    // is known only of a run that was not cut short.
    const bool allUpright = nothingToTurn(counters) && !cancelled;
    const std::string strips = edgeStripsCountLine(counters);
    message.text += folderRunMessage(counters) +
                    paragraphs({allUpright ? nothingToTurnLine(counters) : uprightCountLine(counters),
                                strips.empty() ? "" : strips + "; the details say which", thumbnailsNotTurnedLine(counters),
                                hiddenSkippedLine(counters.hiddenSkipped), failedLine});
    if (counters.filesRead == 0 && !cancelled)
        for (const std::string& target : targets) message.text += paragraphs({noJpegFilesLine(target)});
    if (failed > 0) message.icon = MessageIcon::Warning;
    for (const RunFailure& failure : counters.failures) message.details += failure.path + ": " + failure.reason + "\n";
    for (const StrippedPhoto& photo : counters.stripped)
        message.details += photo.path + ": " + edgeStripsText(photo.strip, photo.thumbnailStrip) + "\n";
    return message;
}

ResultMessage notFileOrPathResult(const std::string& path) {
    return {"Not file or path: " + path, MessageIcon::Warning, {}};
}

}  // namespace shell

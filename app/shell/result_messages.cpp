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

// The files of `items` under a heading, one "path: what" a line; "" for none.
std::string section(const char* heading, const std::vector<RunFailure>& items) {
    if (items.empty()) return "";
    std::string text = std::string(heading) + "\n";
    for (const RunFailure& item : items) text += item.path + ": " + item.reason + "\n";
    return text;
}

std::string detailsOf(const RunCounters& counters) {
    return section("Could not be rotated:", counters.failures) + section("Turned:", counters.turned) +
           section("Left as they were:", counters.left);
}

}  // namespace

ResultMessage oneFileResult(const std::string& path, const RotateResult& result) {
    switch (result.outcome) {
    case FileOutcome::Rotated: {
        if (!result.putBack.empty()) return {putBackMessage(path, result), MessageIcon::None, {}};
        // The picture's strip is said with the result; the thumbnail's, a smaller matter, behind it.
        const std::string thumbnail = edgeStripsText({}, result.thumbnailStrip);
        return {oneFileMessage(1, path) +
                    paragraphs({edgeStripNote(result), thumbnailNote(result), reencodedNote(result), metadataNote(result),
                                earlierBackupNote(result)}),
                MessageIcon::None, thumbnail.empty() ? "" : thumbnail + "\n"};
    }
    case FileOutcome::Skipped: return {skippedMessage(path, result), MessageIcon::None, {}};
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
        message.text = runCancelledLine() + "\nThe details name the files already turned.";
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
                                strips.empty() ? "" : strips + "; the details say which", skippedCountLine(counters),
                                thumbnailsNotTurnedLine(counters),
                                hiddenSkippedLine(counters.hiddenSkipped), failedLine});
    if (counters.filesRead == 0 && !cancelled)
        for (const std::string& target : targets) message.text += paragraphs({noJpegFilesLine(target)});
    if (failed > 0) message.icon = MessageIcon::Warning;
    message.details = detailsOf(counters);
    return message;
}

ResultMessage undoResult(const RunCounters& counters, bool cancelled) {
    ResultMessage message;
    if (cancelled) message.text = runCancelledLine() + "\n";
    message.text += "\n";
    for (const std::string& line : undoSummaryLines(counters)) message.text += line + "\n\n";
    message.icon = counters.failures.empty() && !cancelled ? MessageIcon::None : MessageIcon::Warning;
    message.details = section("Not put back:", counters.failures) + section("Put back:", counters.turned) +
                      section("Left as they were:", counters.left);
    return message;
}

std::string turnAgainQuestion(std::size_t count, const std::string& dates) {
    return std::to_string(count) + (count == 1 ? " of these photos was" : " of these photos were") + " already turned " +
           dates + ". Turn " + (count == 1 ? "it" : "them") + " again?";
}

ResultMessage notFileOrPathResult(const std::string& path) {
    return {"Not file or path: " + path, MessageIcon::Warning, {}};
}

}  // namespace shell

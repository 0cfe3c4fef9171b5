#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/verb_arguments.h"
#include "platform/file_attributes.h"
#include "platform/file_replacement.h"
#include "workflow/rotate_result.h"
#include "workflow/transcode_jpeg.h"
#include "workflow/transform_names.h"

namespace {

bool copyOptionFromName(const std::string& name, MarkerCopyOption* option) {
    if (name == "none") *option = CopyNone;
    else if (name == "comments") *option = CopyComments;
    else if (name == "all") *option = CopyAll;
    else return false;
    return true;
}

// Fills `request`; returns -1, or the exit status after a usage error.
int parse(const Arguments& args, TranscodeRequest* request) {
    request->kind = TransformKind::Rotate270;
    request->copy = CopyAll;
    // The console never deletes what it was given: a distinct input stays, in-place work keeps IN.bak.
    request->keepInput = true;
    CLI::App parser{"", "pivora-cli --transcode"};
    parser.set_help_flag();
    std::string transformName, copyName;
    std::vector<std::string> paths;
    bool force = false;
    parser.add_flag("--trim", request->trim);
    parser.add_flag("--gray", request->gray);
    parser.add_flag("--optimize", request->optimize);
    parser.add_flag("--force", force);
    CLI::Option* transform = parser.add_option("--transform", transformName);
    CLI::Option* copy = parser.add_option("--copy", copyName);
    parser.add_option("paths", paths);
    const std::vector<ValueNeed> needs = {{"--transform", "a name: " + transformNameList()},
                                          {"--copy", "one of: none, comments, all"}};
    if (int status = parseVerbArguments(parser, args, needs); status >= 0) return status;
    if (transform->count() && !transformKindFromAnyName(transformName, &request->kind))
        return usageError("unknown transform '" + transformName + "'");
    if (copy->count() && !copyOptionFromName(copyName, &request->copy))
        return usageError("unknown --copy value '" + copyName + "'");
    if (paths.size() != 2) return usageError("--transcode needs an input and an output file");
    request->input = paths[0];
    request->output = paths[1];
    request->replaceExisting = force;  // OUT being IN is in-place work, which --force is not needed for
    return -1;
}

RefusalReason reasonOfPass(PassFailure failure) {
    switch (failure) {
    case PassFailure::NotJpeg: return RefusalReason::NotJpeg;
    case PassFailure::Damaged: return RefusalReason::DamagedData;
    case PassFailure::Unsupported: return RefusalReason::Unsupported;
    case PassFailure::NotEnoughMemory: return RefusalReason::NotEnoughMemory;
    case PassFailure::None:
    case PassFailure::Cancelled:
    case PassFailure::Failed: break;
    }
    return RefusalReason::None;
}

// What failed and on which file, or the note of a transcode that was done; empty when there is
// nothing to say.
std::string outcomeText(const TranscodeRequest& request, const TranscodeOutcome& outcome) {
    const std::string& in = request.input;
    const std::string& out = request.output;
    switch (outcome.failure) {
    case TranscodeFailure::None:
        if (!outcome.earlierBackupKept) return "";
        return "kept the earlier backup " + platform::fileBehindLink(out) + platform::kBackupSuffix;
    case TranscodeFailure::CannotOpen:
    case TranscodeFailure::CannotRead: return "can't read " + in + ": " + outcome.detail;
    case TranscodeFailure::NotTurned: break;
    case TranscodeFailure::OutputExists: return "won't replace " + out + ", which exists (--force replaces it)";
    case TranscodeFailure::CannotWrite: return "can't write " + out + ": " + outcome.detail;
    }
    if (outcome.passFailure == PassFailure::NotJpeg) return in + " is not a JPEG file: " + outcome.detail;
    const RefusalReason reason = reasonOfPass(outcome.passFailure);
    if (reason == RefusalReason::None) return "can't turn " + in + ": " + outcome.detail;
    return "can't turn " + in + ": " + reasonText(reason) + " (" + outcome.detail + ")";
}

}  // namespace

int runTranscodeCommand(const Arguments& args) {
    TranscodeRequest request;
    if (int status = parse(args, &request); status >= 0) return status;
    const TranscodeOutcome outcome = transcodeJpegFile(request);
    if (const std::string said = outcomeText(request, outcome); !said.empty()) console().note(said);
    return outcome.done() ? 0 : 1;
}

#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/verb_arguments.h"
#include "platform/file_attributes.h"
#include "platform/file_replacement.h"
#include "workflow/rotate_result.h"
#include "workflow/transcode_jpeg.h"
#include "transform/turns.h"

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
    const std::vector<ValueNeed> needs = {{"--transform", "a name: " + turnNameList()},
                                          {"--copy", "one of: none, comments, all"}};
    if (int status = parseVerbArguments(parser, args, needs); status >= 0) return status;
    if (transform->count() && !turnFromName(transformName, &request->kind))
        return usageError("unknown transform '" + transformName + "'");
    if (copy->count() && !copyOptionFromName(copyName, &request->copy))
        return usageError("unknown --copy value '" + copyName + "'");
    if (paths.size() != 2) return usageError("--transcode needs an input and an output file");
    request->input = paths[0];
    request->output = paths[1];
    request->replaceExisting = force;  // OUT being IN is in-place work, which --force is not needed for
    return -1;
}

// What failed and on which file.
std::string refusalText(const TranscodeRequest& request, const Refusal& refusal) {
    const std::string& in = request.input;
    const std::string& out = request.output;
    switch (refusal.reason) {
    case RefusalReason::CannotRead: return "can't read " + in + ": " + refusal.detail;
    case RefusalReason::NotJpeg: return in + " is not a JPEG file: " + refusal.detail;
    case RefusalReason::OutputExists: return "won't replace " + out + ", which exists (--force replaces it)";
    case RefusalReason::WriteFailed: return "can't write " + out + ": " + refusal.detail;
    default: return "can't turn " + in + ": " + refusal.text();
    }
}

}  // namespace

int runTranscodeCommand(const Arguments& args) {
    TranscodeRequest request;
    if (int status = parse(args, &request); status >= 0) return status;
    const Result<TranscodeDone> done = transcodeJpegWith(request);
    if (!done.ok()) {
        console().note(refusalText(request, done.refusal()));
        return 1;
    }
    if (!done.value().earlierBackup.empty()) console().note("kept the earlier backup " + done.value().earlierBackup);
    return 0;
}

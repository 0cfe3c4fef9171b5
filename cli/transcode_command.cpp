#include <cstdio>

#include "cli/commands.h"
#include "cli/verb_arguments.h"
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
    parser.add_flag("--trim", request->trim);
    parser.add_flag("--gray", request->gray);
    parser.add_flag("--optimize", request->optimize);
    CLI::Option* transform = parser.add_option("--transform", transformName);
    CLI::Option* copy = parser.add_option("--copy", copyName);
    parser.add_option("paths", paths);
    if (int status = parseVerbArguments(parser, args); status >= 0) return status;
    if (transform->count() && !turnFromName(transformName, &request->kind))
        return usageError("unknown transform '" + transformName + "'");
    if (copy->count() && !copyOptionFromName(copyName, &request->copy))
        return usageError("unknown --copy value '" + copyName + "'");
    if (paths.size() != 2) return usageError("--transcode needs an input and an output file");
    request->input = paths[0];
    request->output = paths[1];
    return -1;
}

}  // namespace

int runTranscodeCommand(const Arguments& args) {
    TranscodeRequest request;
    if (int status = parse(args, &request); status >= 0) return status;
    const Result<TranscodeDone> done = transcodeJpegWith(request);
    if (!done.ok()) {
        std::fprintf(stderr, "Pivora: %s\n", done.refusal().detail.c_str());
        return 1;
    }
    if (!done.value().earlierBackup.empty())
        std::fprintf(stderr, "Pivora: kept the earlier backup %s\n", done.value().earlierBackup.c_str());
    return 0;
}

#include <strings.h>

#include <cstddef>

#include "cli/commands.h"
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

// Fills `request` from the arguments; an empty result, or the usage error's message.
std::string parse(const Arguments& args, TranscodeRequest* request) {
    request->kind = TransformKind::Rotate270;
    request->copy = CopyAll;
    // The console never deletes what it was given: a distinct input stays, in-place work keeps IN.bak.
    request->keepInput = true;
    std::vector<std::string> paths;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool hasValue = i + 1 < args.size();
        if (optionsEnded) {
            paths.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;  // what follows are paths, even when they begin with '-'
        } else if (arg == "--trim") {
            request->trim = true;
        } else if (arg == "--gray") {
            request->gray = true;
        } else if (arg == "--optimize") {
            request->optimize = true;
        } else if (arg == "--transform") {
            if (!hasValue) return "--transform needs a name";
            if (!transformKindFromAnyName(args[++i], &request->kind)) return "unknown transform '" + args[i] + "'";
        } else if (arg == "--copy") {
            if (!hasValue) return "--copy needs none, comments or all";
            if (!copyOptionFromName(args[++i], &request->copy)) return "unknown --copy value '" + args[i] + "'";
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2) return "--transcode needs an input and an output file";
    request->input = paths[0];
    request->output = paths[1];
    return "";
}

}  // namespace

int runTranscodeCommand(const Arguments& args) {
    TranscodeRequest request;
    std::string problem = parse(args, &request);
    if (!problem.empty()) return usageError(problem);
    return transcodeJpegWith(request) ? 0 : 1;
}

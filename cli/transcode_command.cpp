#include <strings.h>

#include <cstddef>

#include "cli/commands.h"
#include "workflow/transcode_jpeg.h"

namespace {

struct NamedKind {
    const char* name;
    TransformKind kind;
};

// The console knows every transform by name; transcodeJpeg itself only the three turns.
constexpr NamedKind kTransformNames[] = {
    {"none", TransformKind::None},
    {"flip horizontal", TransformKind::FlipHorizontal},
    {"flip vertical", TransformKind::FlipVertical},
    {"transpose", TransformKind::Transpose},
    {"transverse", TransformKind::Transverse},
    {"rotate 90", TransformKind::Rotate90},
    {"rotate 180", TransformKind::Rotate180},
    {"rotate 270", TransformKind::Rotate270},
};

bool kindFromName(const std::string& name, TransformKind* kind) {
    for (const NamedKind& entry : kTransformNames) {
        if (::strcasecmp(name.c_str(), entry.name) == 0) {
            *kind = entry.kind;
            return true;
        }
    }
    return false;
}

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
            if (!kindFromName(args[++i], &request->kind)) return "unknown transform '" + args[i] + "'";
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

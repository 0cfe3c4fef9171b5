#include "workflow/transcode_jpeg.h"

#include <strings.h>
#include <sys/stat.h>

#include <cstdio>
#include <vector>

#include "platform/file_attributes.h"
#include "platform/file_replacement.h"
#include "platform/source_file.h"
#include "workflow/coefficient_pass.h"

namespace {

constexpr const char* kProgramName = "Pivora";

using platform::SourceFile;

void reportCantOpen(const std::string& path) { std::fprintf(stderr, "%s: can't open %s\n", kProgramName, path.c_str()); }

void report(const std::string& message) { std::fprintf(stderr, "%s: %s\n", kProgramName, message.c_str()); }

// Where the result goes, and the file it replaces there as found before the work began.
struct Destination {
    std::string target;  // the name the finished result is renamed onto
    bool inPlace = false;
    SourceFile replaced;  // open while a file of the target's name exists
    bool replacing = false;
};

// Finds the target and opens the file there, if any, so that the commit can tell whether it
// changed meanwhile. false with a message when it cannot be replaced.
bool planDestination(const TranscodeRequest& request, const struct stat& inputStat, Destination& plan) {
    // Writing through a symbolic link changes the file it points to; the rename that puts the
    // result in place must do the same, not replace the link by a file.
    plan.target = platform::fileBehindLink(request.output);
    struct stat st;
    plan.replacing = ::lstat(plan.target.c_str(), &st) == 0;
    std::string error;
    if (plan.replacing && plan.replaced.open(plan.target, &error) != SourceFile::Status::Ok) {
        report("can't write " + request.output + ": " + error);
        return false;
    }
    const struct stat& found = plan.replaced.status();
    plan.inPlace = plan.replacing && found.st_dev == inputStat.st_dev && found.st_ino == inputStat.st_ino;
    if (!plan.inPlace && request.input == request.output) {
        report("can't write " + request.output + ": " + "it changed on disk while it was read");
        return false;
    }
    const std::string refusal = plan.replacing ? platform::writeRefusal(plan.target, plan.replaced) : "";
    if (!refusal.empty()) report("can't write " + request.output + ": " + refusal);
    return refusal.empty();
}

CoefficientPassResult turn(const std::vector<unsigned char>& source, const TranscodeRequest& request) {
    CoefficientPassRequest pass;
    pass.input = source.data();
    pass.inputSize = source.size();
    pass.kind = request.kind;
    pass.trimPartialBlocks = request.trim;
    pass.grayOnly = request.gray;
    pass.copy = request.copy;
    pass.optimize = request.optimize;
    return runCoefficientPass(pass);
}

// Puts the result in place; in place with keepInput the untouched file becomes the ".bak",
// unless one exists: that one holds an older original and is kept.
bool commitResult(const std::vector<unsigned char>& result, const Destination& plan, const TranscodeRequest& request,
                  const struct stat& inputStat) {
    platform::Replacement replacement;
    replacement.target = plan.target;
    replacement.original = plan.replacing ? &plan.replaced : nullptr;
    // A new file gets the input's permission bits, so that a private photo stays private.
    replacement.newFileMode = inputStat.st_mode & 0777;
    replacement.keepBackup = plan.inPlace && request.keepInput;
    platform::ReplaceOutcome outcome = platform::replaceFile(replacement, result.data(), result.size());
    if (!outcome.replaced()) report("can't write " + request.output + ": " + outcome.detail);
    else if (outcome.earlierBackupKept) report("kept the earlier backup " + plan.target + platform::kBackupSuffix);
    return outcome.replaced();
}

}  // namespace

TransformKind transformKindFromName(const char* transformName) {
    if (transformName == nullptr) return TransformKind::None;
    if (::strcasecmp(transformName, "rotate 90") == 0) return TransformKind::Rotate90;
    if (::strcasecmp(transformName, "rotate 180") == 0) return TransformKind::Rotate180;
    if (::strcasecmp(transformName, "rotate 270") == 0) return TransformKind::Rotate270;
    return TransformKind::None;
}

int transcodeJpegWith(const TranscodeRequest& request) {
    SourceFile input;
    std::string error;
    std::vector<unsigned char> source;
    if (input.open(request.input, &error, SourceFile::Locking::None) != SourceFile::Status::Ok) {
        reportCantOpen(request.input);
        return 0;
    }
    if (input.readAll(&source, &error) != SourceFile::Status::Ok) {
        report("can't read " + request.input + ": " + error);
        return 0;
    }
    Destination plan;
    if (!planDestination(request, input.status(), plan)) return 0;
    const CoefficientPassResult turned = turn(source, request);
    if (!turned.ok()) {
        std::fprintf(stderr, "%s\n", turned.message.c_str());
        return 0;
    }
    if (!commitResult(turned.output, plan, request, input.status())) return 0;
    if (!plan.inPlace && !request.keepInput && std::remove(request.input.c_str()) != 0)
        report("can't remove " + request.input);
    return 1;
}

int transcodeJpeg(const char* inputPath, const char* outputPath, const char* transformName, int keepInput) {
    if (inputPath == nullptr || outputPath == nullptr) return 0;
    TranscodeRequest request;
    request.input = inputPath;
    request.output = outputPath;
    request.kind = transformKindFromName(transformName);
    request.keepInput = keepInput != 0;
    return transcodeJpegWith(request);
}

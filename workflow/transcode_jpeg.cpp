#include "workflow/transcode_jpeg.h"

#include <strings.h>
#include <sys/stat.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "platform/file_attributes.h"
#include "platform/file_replacement.h"
#include "platform/source_file.h"
#include "workflow/coefficient_pass.h"

namespace {

constexpr const char* kProgramName = "Pivora";

using platform::SourceFile;

TranscodeOutcome failed(TranscodeFailure failure, std::string detail) {
    TranscodeOutcome outcome;
    outcome.failure = failure;
    outcome.detail = std::move(detail);
    return outcome;
}

// Where the result goes, and the file it replaces there as found before the work began.
struct Destination {
    std::string target;  // the name the finished result is renamed onto
    bool inPlace = false;
    SourceFile replaced;  // open while a file of the target's name exists
    bool replacing = false;
};

// Finds the target and opens the file there, if any, so that the commit can tell whether it
// changed meanwhile. A failure when it cannot or may not be replaced.
TranscodeOutcome planDestination(const TranscodeRequest& request, const struct stat& inputStat, Destination& plan) {
    // Writing through a symbolic link changes the file it points to; the rename that puts the
    // result in place must do the same, not replace the link by a file.
    plan.target = platform::fileBehindLink(request.output);
    struct stat st;
    plan.replacing = ::lstat(plan.target.c_str(), &st) == 0;
    std::string error;
    if (plan.replacing && plan.replaced.open(plan.target, &error) != SourceFile::Status::Ok)
        return failed(TranscodeFailure::CannotWrite, error);
    const struct stat& found = plan.replaced.status();
    plan.inPlace = plan.replacing && found.st_dev == inputStat.st_dev && found.st_ino == inputStat.st_ino;
    if (!plan.inPlace && request.input == request.output)
        return failed(TranscodeFailure::CannotWrite, "it changed on disk while it was read");
    // The input's own name (in-place work) apart, a name in use is left alone unless asked; a link
    // that points nowhere counts as in use too.
    const bool nameInUse = plan.replacing || ::lstat(request.output.c_str(), &st) == 0;
    if (nameInUse && !plan.inPlace && !request.replaceExisting) return failed(TranscodeFailure::OutputExists, "");
    const std::string refusal = plan.replacing ? platform::writeRefusal(plan.target, plan.replaced) : "";
    return refusal.empty() ? TranscodeOutcome{} : failed(TranscodeFailure::CannotWrite, refusal);
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
TranscodeOutcome commitResult(const std::vector<unsigned char>& result, const Destination& plan,
                              const TranscodeRequest& request, const struct stat& inputStat) {
    platform::Replacement replacement;
    replacement.target = plan.target;
    replacement.original = plan.replacing ? &plan.replaced : nullptr;
    // A new file gets the input's permission bits, so that a private photo stays private.
    replacement.newFileMode = inputStat.st_mode & 0777;
    replacement.keepBackup = plan.inPlace && request.keepInput;
    platform::ReplaceOutcome replaced = platform::replaceFile(replacement, result.data(), result.size());
    if (!replaced.replaced()) return failed(TranscodeFailure::CannotWrite, replaced.detail);
    TranscodeOutcome outcome;
    outcome.earlierBackupKept = replaced.earlierBackupKept;
    return outcome;
}

// The line in the words this transcoder has always used ("Pivora: can't open IN", libjpeg's own
// line); empty when there is nothing to say.
std::string outcomeLine(const TranscodeRequest& request, const TranscodeOutcome& outcome) {
    const std::string program = std::string(kProgramName) + ": ";
    switch (outcome.failure) {
    case TranscodeFailure::None:
        if (outcome.earlierBackupKept)
            return program + "kept the earlier backup " + platform::fileBehindLink(request.output) + platform::kBackupSuffix;
        return outcome.inputNotRemoved ? program + "can't remove " + request.input : "";
    case TranscodeFailure::CannotOpen: return program + "can't open " + request.input;
    case TranscodeFailure::CannotRead: return program + "can't read " + request.input + ": " + outcome.detail;
    case TranscodeFailure::NotTurned: return outcome.detail;
    case TranscodeFailure::OutputExists: return program + "can't write " + request.output + ": the file exists";
    case TranscodeFailure::CannotWrite: return program + "can't write " + request.output + ": " + outcome.detail;
    }
    return "";
}

}  // namespace

TransformKind transformKindFromName(const char* transformName) {
    if (transformName == nullptr) return TransformKind::None;
    if (::strcasecmp(transformName, "rotate 90") == 0) return TransformKind::Rotate90;
    if (::strcasecmp(transformName, "rotate 180") == 0) return TransformKind::Rotate180;
    if (::strcasecmp(transformName, "rotate 270") == 0) return TransformKind::Rotate270;
    return TransformKind::None;
}

TranscodeOutcome transcodeJpegFile(const TranscodeRequest& request) {
    SourceFile input;
    std::string error;
    std::vector<unsigned char> source;
    if (input.open(request.input, &error, SourceFile::Locking::None) != SourceFile::Status::Ok)
        return failed(TranscodeFailure::CannotOpen, error);
    if (input.readAll(&source, &error) != SourceFile::Status::Ok) return failed(TranscodeFailure::CannotRead, error);
    Destination plan;
    if (TranscodeOutcome planned = planDestination(request, input.status(), plan); !planned.done()) return planned;
    const CoefficientPassResult turned = turn(source, request);
    if (!turned.ok()) {
        TranscodeOutcome outcome = failed(TranscodeFailure::NotTurned, turned.message);
        outcome.passFailure = turned.failure;
        return outcome;
    }
    TranscodeOutcome outcome = commitResult(turned.output, plan, request, input.status());
    if (outcome.done() && !plan.inPlace && !request.keepInput && std::remove(request.input.c_str()) != 0)
        outcome.inputNotRemoved = true;
    return outcome;
}

int transcodeJpegWith(const TranscodeRequest& request) {
    const TranscodeOutcome outcome = transcodeJpegFile(request);
    if (const std::string line = outcomeLine(request, outcome); !line.empty()) std::fprintf(stderr, "%s\n", line.c_str());
    return outcome.done() ? 1 : 0;
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

#include "workflow/transcode_jpeg.h"

#include <sys/stat.h>

#include <vector>

#include "platform/file_attributes.h"
#include "platform/file_replacement.h"
#include "platform/source_file.h"
#include "workflow/coefficient_pass.h"
#include "workflow/picture_turner.h"

namespace {

using platform::SourceFile;

Refusal cantWrite(const std::string& why) { return refuse(RefusalReason::WriteFailed, why); }

// Where the result goes, and the file it replaces there as found before the work began.
struct Destination {
    std::string target;  // the name the finished result is renamed onto
    bool inPlace = false;
    SourceFile replaced;  // open while a file of the target's name exists
    bool replacing = false;
};

// Finds the target and opens the file there, if any, so that the commit can tell whether it
// changed meanwhile. Refused when it cannot be replaced.
Result<void> planDestination(const TranscodeRequest& request, const struct stat& inputStat, Destination& plan) {
    // Writing through a symbolic link changes the file it points to; the rename that puts the
    // result in place must do the same, not replace the link by a file.
    plan.target = platform::fileBehindLink(request.output);
    struct stat st;
    plan.replacing = ::lstat(plan.target.c_str(), &st) == 0;
    std::string error;
    if (plan.replacing && plan.replaced.open(plan.target, &error) != SourceFile::Status::Ok)
        return cantWrite(error);
    const struct stat& found = plan.replaced.status();
    plan.inPlace = plan.replacing && found.st_dev == inputStat.st_dev && found.st_ino == inputStat.st_ino;
    if (!plan.inPlace && request.input == request.output)
        return cantWrite("it changed on disk while it was read");
    // The input's own name (in-place work) apart, a name in use is left alone unless asked; a link
    // that points nowhere counts as in use too.
    const bool nameInUse = plan.replacing || ::lstat(request.output.c_str(), &st) == 0;
    if (nameInUse && !plan.inPlace && !request.replaceExisting) return refuse(RefusalReason::OutputExists);
    const std::string refusal = plan.replacing ? platform::writeRefusal(plan.target, plan.replaced) : "";
    if (!refusal.empty()) return cantWrite(refusal);
    return {};
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

// Puts the result in place; in place the untouched file becomes the ".bak", unless one exists:
// that one holds an older original and is kept.
Result<TranscodeDone> commitResult(const std::vector<unsigned char>& result, const Destination& plan,
                                   const TranscodeRequest& request, const struct stat& inputStat) {
    platform::Replacement replacement;
    replacement.target = plan.target;
    replacement.original = plan.replacing ? &plan.replaced : nullptr;
    // A new file gets the input's permission bits, so that a private photo stays private.
    replacement.newFileMode = inputStat.st_mode & 0777;
    replacement.keepBackup = plan.inPlace;
    const platform::ReplaceOutcome outcome = platform::replaceFile(replacement, result.data(), result.size());
    if (!outcome.replaced()) return cantWrite(outcome.detail);
    TranscodeDone done;
    if (outcome.earlierBackupKept) done.earlierBackup = plan.target + platform::kBackupSuffix;
    return done;
}

}  // namespace

Result<TranscodeDone> transcodeJpegWith(const TranscodeRequest& request) {
    SourceFile input;
    std::string error;
    std::vector<unsigned char> source;
    if (input.open(request.input, &error, SourceFile::Locking::None) != SourceFile::Status::Ok ||
        input.readAll(&source, &error) != SourceFile::Status::Ok)
        return refuse(RefusalReason::CannotRead, error);
    Destination plan;
    if (Result<void> planned = planDestination(request, input.status(), plan); !planned.ok()) return planned.refusal();
    const CoefficientPassResult turned = turn(source, request);
    if (!turned.ok()) return refusalOfPass(turned);
    return commitResult(turned.output, plan, request, input.status());
}

#include "workflow/transcode_jpeg.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/file_attributes.h"
#include "platform/file_replacement.h"
#include "workflow/coefficient_pass.h"

namespace {

constexpr const char* kProgramName = "Pivora";

using InputStream = std::unique_ptr<FILE, int (*)(FILE*)>;

// Reading does not change the input's access time where the system lets us say so: in place
// with keepInput, the ".bak" must keep the untouched file's times.
InputStream openInput(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOATIME);
    if (fd < 0 && errno == EPERM) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    FILE* stream = fd >= 0 ? ::fdopen(fd, "rb") : nullptr;
    if (fd >= 0 && !stream) ::close(fd);
    return InputStream(stream, std::fclose);
}

void reportCantOpen(const std::string& path) { std::fprintf(stderr, "%s: can't open %s\n", kProgramName, path.c_str()); }

void report(const std::string& message) { std::fprintf(stderr, "%s: %s\n", kProgramName, message.c_str()); }

// Where the result goes, and the file it replaces there as found before the work began.
struct Destination {
    std::string target;  // the name the finished result is renamed onto
    bool inPlace = false;
    platform::SourceFile replaced;  // open while a file of the target's name exists
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
    if (plan.replacing && plan.replaced.open(plan.target, &error) != platform::SourceFile::Status::Ok) {
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

// The result, held in memory until it is complete: nothing reaches the disk before the commit.
class PendingResult {
public:
    PendingResult() { stream_ = ::open_memstream(&data_, &size_); }
    ~PendingResult() {
        if (stream_) std::fclose(stream_);
        std::free(data_);
    }
    PendingResult(const PendingResult&) = delete;
    PendingResult& operator=(const PendingResult&) = delete;
    FILE* stream() const { return stream_; }
    // Ends the writing; data() and size() are final only now.
    bool finish() {
        const bool closed = stream_ && std::fclose(stream_) == 0;
        stream_ = nullptr;
        return closed;
    }
    const unsigned char* data() const { return reinterpret_cast<const unsigned char*>(data_); }
    std::size_t size() const { return size_; }

private:
    FILE* stream_ = nullptr;
    char* data_ = nullptr;
    std::size_t size_ = 0;
};

// Puts the result in place; in place with keepInput the untouched file becomes the ".bak",
// unless one exists: that one holds an older original and is kept.
bool commitResult(PendingResult& pending, const Destination& plan, const TranscodeRequest& request,
                  const struct stat& inputStat) {
    if (!pending.finish()) {
        report("can't hold the result of " + request.input + " in memory");
        return false;
    }
    platform::Replacement replacement;
    replacement.target = plan.target;
    replacement.original = plan.replacing ? &plan.replaced : nullptr;
    // A new file gets the input's permission bits, so that a private photo stays private.
    replacement.newFileMode = inputStat.st_mode & 0777;
    replacement.keepBackup = plan.inPlace && request.keepInput;
    platform::ReplaceOutcome outcome = platform::replaceFile(replacement, pending.data(), pending.size());
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
    InputStream input = openInput(request.input);
    struct stat inputStat;
    if (!input || ::fstat(::fileno(input.get()), &inputStat) != 0) {
        reportCantOpen(request.input);
        return 0;
    }
    Destination plan;
    if (!planDestination(request, inputStat, plan)) return 0;
    PendingResult pending;
    if (!pending.stream()) {
        report("can't hold the result of " + request.input + " in memory");
        return 0;
    }
    CoefficientPassRequest pass{input.get(), pending.stream(), request.kind, request.trim, request.gray, request.copy};
    if (!runCoefficientPass(pass)) return 0;  // the pending result is dropped on the way out
    input.reset();
    if (!commitResult(pending, plan, request, inputStat)) return 0;
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

#include "workflow/transcode_jpeg.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/file_attributes.h"
#include "platform/pending_file.h"
#include "workflow/coefficient_pass.h"
#include "workflow/whole_stream.h"

namespace {

constexpr const char* kProgramName = "Pivora";
constexpr const char* kBackupSuffix = ".bak";

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

// Where O_NOATIME was refused, reading may have moved the access time: put it back.
void restoreAccessTime(FILE* input, const struct stat& before) {
    struct stat after;
    if (::fstat(::fileno(input), &after) != 0) return;
    if (after.st_atim.tv_sec == before.st_atim.tv_sec && after.st_atim.tv_nsec == before.st_atim.tv_nsec) return;
    platform::setFileTimes(::fileno(input), platform::timesOf(before));
}

void reportCantOpen(const std::string& path) { std::fprintf(stderr, "%s: can't open %s\n", kProgramName, path.c_str()); }

void report(const std::string& message) { std::fprintf(stderr, "%s: %s\n", kProgramName, message.c_str()); }

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

bool writeAll(FILE* stream, const std::vector<unsigned char>& bytes, const std::string& name) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size()) return true;
    report("can't write " + name + ": " + std::strerror(errno));
    return false;
}

bool namesSameFile(const std::string& a, const std::string& b) {
    struct stat first;
    struct stat second;
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

// Where the result goes and what it must keep of the files it meets there.
struct Destination {
    std::string target;  // the name the finished result is renamed onto
    bool inPlace = false;
    std::string backup;  // in place with keepInput: the name of the untouched copy
};

Destination planDestination(const TranscodeRequest& request) {
    Destination plan;
    // Writing through a symbolic link changes the file it points to; the rename that puts the
    // result in place must do the same, not replace the link by a file.
    plan.target = platform::fileBehindLink(request.output);
    plan.inPlace = request.input == request.output || namesSameFile(request.input, plan.target);
    if (plan.inPlace && request.keepInput) plan.backup = request.input + kBackupSuffix;
    return plan;
}

// Keeps the untouched file under the backup name (an older backup is replaced, never read),
// then puts the result in place; a backup made for a result that failed is taken away again.
bool commitResult(platform::PendingFile& pending, const Destination& plan) {
    std::string error;
    bool backupCreated = false;
    if (!plan.backup.empty() && !platform::placeBackup(plan.target, plan.backup, &error, &backupCreated)) {
        report(error);
        return false;
    }
    if (pending.commit(&error)) return true;
    report(error);
    if (backupCreated) ::unlink(plan.backup.c_str());
    return false;
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
    std::vector<unsigned char> source;
    if (!readWholeStream(input.get(), &source)) {
        report("can't read " + request.input);
        return 0;
    }
    Destination plan = planDestination(request);
    platform::PendingFile pending;
    if (!pending.open(plan.target, nullptr)) {
        reportCantOpen(request.output);
        return 0;
    }
    CoefficientPassResult turned = turn(source, request);
    // The pending file is discarded on the way out of a failure.
    if (!turned.ok()) {
        std::fprintf(stderr, "%s\n", turned.message.c_str());
        return 0;
    }
    if (!writeAll(pending.stream(), turned.output, request.output)) return 0;
    if (!plan.backup.empty()) restoreAccessTime(input.get(), inputStat);
    input.reset();
    // A new file gets the input's permission bits, so that a private photo stays private.
    platform::applyAttributesOfReplaced(pending.fd(), plan.target, inputStat.st_mode & 0777);
    if (!commitResult(pending, plan)) return 0;
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

#include "workflow/rotate_jpeg_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include "exif/exif_date.h"
#include "exif/photo_info.h"
#include "jpegfile/section_table.h"
#include "jpegfile/thumbnail.h"
#include "platform/file_attributes.h"
#include "platform/pending_file.h"
#include "workflow/coefficient_pass.h"
#include "workflow/run_messages.h"
#include "workflow/run_state.h"
#include "workflow/thumbnail_folder.h"
#include "workflow/transcode_jpeg.h"
#include "workflow/whole_stream.h"

namespace {

const char* const kTransformName = "rotate 270";

// The section table and photoInfo hold one file between the reset and the release; this makes
// every way out of the workflow release them.
struct SectionsInUse {
    explicit SectionsInUse(const std::string& path) {
        clearSectionTable();
        resetPhotoInfo(path.c_str());
    }
    ~SectionsInUse() { releaseSections(); }
};

// Transcodes the photograph with "rotate 270" in memory and appends the result's segments and
// image data to the table, as a read-back of a transcoded file would. Nothing reaches the disk
// before the finished file, so a failure or a kill leaves no half-made copy anywhere.
bool transcodeIntoTable(const std::string& photo) {
    std::unique_ptr<FILE, int (*)(FILE*)> input(std::fopen(photo.c_str(), "rb"), std::fclose);
    std::vector<unsigned char> bytes;
    if (!input || !readWholeStream(input.get(), &bytes)) return false;
    CoefficientPassRequest pass;
    pass.input = bytes.data();
    pass.inputSize = bytes.size();
    pass.kind = transformKindFromName(kTransformName);
    CoefficientPassResult turned = runCoefficientPass(pass);
    if (!turned.ok()) return false;
    FILE* rotated = ::fmemopen(turned.output.data(), turned.output.size(), "rb");
    if (!rotated) return false;
    bool read = readSectionsFromStream(rotated, ReadImageData) == 1;
    std::fclose(rotated);
    return read;
}

bool thumbnailReplaceable() {
    return photoInfo.thumbnailOffset != 0 && photoInfo.thumbnailSize != 0 && photoInfo.thumbnailAtEnd;
}

// Turns the thumbnail of the kept Exif entry through two files in a private folder. false when
// the folder or the files cannot be made or the thumbnail cannot be read. A turned thumbnail
// too large for the block is refused by the import and the old one stays.
bool rotateThumbnail() {
    ThumbnailFolder folder;
    if (!folder.create() || !exportThumbnail(folder.inputPath().c_str()) ||
        !transcodeJpeg(folder.inputPath().c_str(), folder.outputPath().c_str(), kTransformName, 1))
        return false;
    importThumbnail(folder.outputPath().c_str());
    return true;
}

// The times the rewritten file gets: the Exif date as local time, the times it had before, or
// none (it keeps the time of its writing) when the date cannot be read.
bool chooseTimes(bool metadataRead, const ProcessingOptions& options, bool haveBefore, const struct stat& before,
                 platform::FileTimes& times) {
    if (metadataRead && photoInfo.dateTimeCount != 0 && options.EXIFTimestamp) {
        struct tm local {};
        if (!parseExifDateTime(&local, photoInfo.dateTime)) return false;
        std::time_t taken = std::mktime(&local);
        if (taken == static_cast<std::time_t>(-1)) return false;
        times.access = times.modification = timespec{taken, 0};
        return true;
    }
    if (!haveBefore) return false;
    times = platform::timesOf(before);
    return true;
}

// Puts the untouched photograph under its ".bak" name with the times it had before this run
// read it (reading may have moved its access time). `created` tells whether no file of that
// name was there before, so that a failed run can take it away again.
bool keepBackup(const std::string& photo, bool haveBefore, const struct stat& before, bool& created) {
    std::string backup = photo + ".bak";
    if (!platform::placeBackup(photo, backup, nullptr, &created)) return false;
    if (haveBefore) platform::setFileTimes(backup, platform::timesOf(before));
    return true;
}

// Writes the table to a new file beside the photograph with the photograph's permissions,
// owner and the chosen times, and renames it onto the photograph.
bool replacePhoto(const std::string& photo, bool haveBefore, const struct stat& before, bool setTimes,
                  const platform::FileTimes& times, const ProcessingOptions& options) {
    bool backupCreated = false;
    if (options.Backup && !keepBackup(photo, haveBefore, before, backupCreated)) return false;
    platform::PendingFile rewritten;
    bool done = rewritten.open(photo, nullptr) && writeSectionsToStream(rewritten.stream()) &&
                (!haveBefore || platform::applyOwnershipAndMode(rewritten.fd(), before)) &&
                (!setTimes || platform::setFileTimes(rewritten.fd(), times)) && rewritten.commit(nullptr);
    if (!done && backupCreated) ::unlink((photo + ".bak").c_str());
    return done;
}

}  // namespace

int rotateJpegFile(const std::string& path, const ProcessingOptions& options, platform::StatusLine& status) {
    return rotatePhoto(path, options, TurnSettings{}, status).rotated() ? 1 : 0;
}

RotateResult rotatePhoto(const std::string& path, const ProcessingOptions& options, const TurnSettings&,
                         platform::StatusLine& status) {
    RotateResult done;
    done.outcome = FileOutcome::Rotated;
    done.turn = TransformKind::Rotate270;
    const RotateResult failed = refusal(RefusalReason::WriteFailed);
    status.show(processingFileText(path));
    const std::string photo = platform::fileBehindLink(path);
    struct stat before {};
    const bool haveBefore = ::stat(photo.c_str(), &before) == 0;
    if (haveBefore && !S_ISREG(before.st_mode)) return failed;

    SectionsInUse sections(path);
    const bool metadataRead = loadJpegFile(photo.c_str(), ReadMetadata) == 1;
    if (metadataRead) keepExifAndComment();

    // The pass stops at a cancel, leaving the photo untouched.
    RotateResult cancelled;
    cancelled.outcome = FileOutcome::Cancelled;
    if (metadataRead && thumbnailReplaceable() && !rotateThumbnail()) return cancelRequested ? cancelled : failed;
    if (!transcodeIntoTable(photo)) return cancelRequested ? cancelled : failed;

    platform::FileTimes times;
    const bool setTimes = chooseTimes(metadataRead, options, haveBefore, before, times);
    return replacePhoto(photo, haveBefore, before, setTimes, times, options) ? done : failed;
}

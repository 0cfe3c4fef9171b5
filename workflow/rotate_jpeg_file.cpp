#include "workflow/rotate_jpeg_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <ctime>

#include "exif/exif_date.h"
#include "exif/photo_info.h"
#include "jpegfile/section_table.h"
#include "jpegfile/thumbnail.h"
#include "platform/file_attributes.h"
#include "platform/pending_file.h"
#include "workflow/run_messages.h"
#include "workflow/thumbnail_folder.h"
#include "workflow/transcode_jpeg.h"

namespace {

const char* const kTransformName = "rotate 270";

// The section table and photoInfo hold one file between the reset and the release; this makes
// every way out of the workflow release them.
struct SectionsInUse {
    SectionsInUse(const std::string& path) {
        clearSectionTable();
        resetPhotoInfo(path.c_str());
    }
    ~SectionsInUse() { releaseSections(); }
};

// A file name beside the photograph for the transcoded image, removed when it goes.
class RotatedImageFile {
public:
    ~RotatedImageFile() { remove(); }
    // A fresh name of the pending-file pattern, so that a killed run's leftover is recognised.
    bool reserveBeside(const std::string& photo) {
        platform::PendingFile reservation;
        if (!reservation.open(photo, nullptr)) return false;
        path_ = reservation.temporaryPath();
        reservation.discard();  // the transcoder makes the file itself, replacing it in one step
        return true;
    }
    const std::string& path() const { return path_; }
    void remove() {
        if (!path_.empty()) ::unlink(path_.c_str());
        path_.clear();
    }

private:
    std::string path_;
};

// The file a path stands for: a link's target, so that the link stays and its photo turns.
std::string fileBehind(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

bool thumbnailReplaceable() {
    return photoInfo.thumbnailOffset != 0 && photoInfo.thumbnailSize != 0 && photoInfo.thumbnailAtEnd;
}

// Turns the thumbnail of the kept Exif entry. A thumbnail that cannot be turned stays as it was,
// like one that does not end the Exif block. false only when no temporary folder can be made.
bool rotateThumbnail() {
    ThumbnailFolder folder;
    if (!folder.create()) return false;
    if (exportThumbnail(folder.inputPath().c_str()) &&
        transcodeJpeg(folder.inputPath().c_str(), folder.outputPath().c_str(), kTransformName, 1))
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

// Puts the untouched photograph under its ".bak" name. `created` tells whether no file of that
// name was there before, so that a failed run can take it away again.
bool keepBackup(const std::string& photo, bool& created) {
    std::string backup = photo + ".bak";
    struct stat st;
    created = ::lstat(backup.c_str(), &st) != 0;
    return platform::placeBackup(photo, backup, nullptr);
}

// Writes the table to a new file beside the photograph with the photograph's permissions,
// owner and the chosen times, and renames it onto the photograph.
bool replacePhoto(const std::string& photo, bool haveBefore, const struct stat& before, bool setTimes,
                  const platform::FileTimes& times, const ProcessingOptions& options) {
    bool backupCreated = false;
    if (options.Backup && !keepBackup(photo, backupCreated)) return false;
    platform::PendingFile rewritten;
    bool done = rewritten.open(photo, nullptr) && writeSectionsToStream(rewritten.stream()) &&
                (!haveBefore || platform::applyOwnershipAndMode(rewritten.fd(), before)) &&
                (!setTimes || platform::setFileTimes(rewritten.fd(), times)) && rewritten.commit(nullptr);
    if (!done && backupCreated) ::unlink((photo + ".bak").c_str());
    return done;
}

}  // namespace

int rotateJpegFile(const std::string& path, const ProcessingOptions& options, platform::StatusLine& status) {
    status.show(processingFileText(path));
    const std::string photo = fileBehind(path);
    struct stat before {};
    const bool haveBefore = ::stat(photo.c_str(), &before) == 0;
    if (haveBefore && !S_ISREG(before.st_mode)) return 0;

    SectionsInUse sections(path);
    const bool metadataRead = loadJpegFile(photo.c_str(), ReadMetadata) == 1;
    if (metadataRead) keepExifAndComment();

    RotatedImageFile rotated;
    if (!rotated.reserveBeside(photo)) return 0;
    if (!transcodeJpeg(photo.c_str(), rotated.path().c_str(), kTransformName, 1)) return 0;
    if (metadataRead && thumbnailReplaceable() && !rotateThumbnail()) return 0;
    if (!loadJpegFile(rotated.path().c_str(), ReadImageData)) return 0;
    rotated.remove();  // all of it is in the table now

    platform::FileTimes times;
    const bool setTimes = chooseTimes(metadataRead, options, haveBefore, before, times);
    return replacePhoto(photo, haveBefore, before, setTimes, times, options) ? 1 : 0;
}

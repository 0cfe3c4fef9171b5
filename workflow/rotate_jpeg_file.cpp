#include "workflow/rotate_jpeg_file.h"

#include <ctime>
#include <optional>
#include <vector>

#include "exif/exif_block.h"
#include "exif/exif_date.h"
#include "exif/photo_info.h"
#include "exif/report_error.h"
#include "jpegfile/section_table.h"
#include "jpegfile/segment_walk.h"
#include "platform/file_attributes.h"
#include "platform/file_replacement.h"
#include "platform/source_file.h"
#include "workflow/orientation_turn.h"
#include "workflow/run_messages.h"
#include "workflow/run_state.h"
#include "workflow/turned_photo.h"

namespace {

using Bytes = std::vector<unsigned char>;
using platform::SourceFile;

// The section table and photoInfo hold one file between the reset and the release; this makes
// every way out of the workflow release them.
struct SectionsInUse {
    explicit SectionsInUse(const std::string& path) {
        clearSectionTable();
        resetPhotoInfo(path.c_str());
        clearReportedErrors();
    }
    ~SectionsInUse() { releaseSections(); }
};

RotateResult outcome(FileOutcome what) {
    RotateResult result;
    result.outcome = what;
    return result;
}

RefusalReason reasonOfSource(SourceFile::Status status) {
    switch (status) {
    case SourceFile::Status::NotRegular: return RefusalReason::NotRegularFile;
    case SourceFile::Status::InUse: return RefusalReason::InUse;
    default: return RefusalReason::CannotRead;
    }
}

RefusalReason reasonOfReplacement(platform::ReplaceStatus status) {
    switch (status) {
    case platform::ReplaceStatus::NoPermission: return RefusalReason::NoPermission;
    case platform::ReplaceStatus::AttributesNotKept: return RefusalReason::AttributesNotKept;
    case platform::ReplaceStatus::BackupNameTaken: return RefusalReason::BackupNameTaken;
    case platform::ReplaceStatus::ChangedByOther: return RefusalReason::ChangedByOther;
    default: return RefusalReason::WriteFailed;
    }
}

// The photo read once: opened (refused when it is no regular file or another run holds it) and
// read whole into `bytes`.
std::optional<RotateResult> readPhoto(const std::string& photo, SourceFile& source, Bytes& bytes) {
    std::string error;
    SourceFile::Status status = source.open(photo, &error);
    if (status == SourceFile::Status::Ok) status = source.readAll(&bytes, &error);
    if (status != SourceFile::Status::Ok) return refusal(reasonOfSource(status), error);
    return std::nullopt;
}

// The photo's segments up to its scan into the table, its Exif block into photoInfo; then every
// application segment and comment is kept for the turned file. A photo whose metadata cannot be
// read is refused rather than turned with its thumbnail or times left wrong.
std::optional<RotateResult> readMetadata(const Bytes& bytes) {
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8) return refusal(RefusalReason::NotJpeg);
    if (readSectionsFromMemory(bytes.data(), bytes.size(), ReadMetadata) != 1) {
        bool cutShort = false;
        segmentsBeforeScan(bytes.data(), bytes.size(), &cutShort);
        if (cutShort) return refusal(RefusalReason::DamagedData, "the file ends before its picture");
        const auto& notes = reportedErrors();
        return refusal(RefusalReason::UnreadableMetadata, notes.empty() ? "" : notes.back());
    }
    if (findExifSection() && !exifBlockWalked())
        return refusal(RefusalReason::UnreadableMetadata, "its Exif block cannot be read");
    keepApplicationSegments();
    return std::nullopt;
}

// The times the rewritten file gets: the Exif date as local time when the switch asks for it and
// the date is a real one, else the times it had before. None (the time of its writing) only when
// a real date cannot be converted.
bool chooseTimes(const ProcessingOptions& options, const struct stat& before, platform::FileTimes& times) {
    if (options.EXIFTimestamp && photoInfo.dateTimeCount != 0 && isRealExifDate(photoInfo.dateTime)) {
        struct tm local {};
        if (!parseExifDateTime(&local, photoInfo.dateTime)) return false;
        std::time_t taken = std::mktime(&local);
        if (taken == static_cast<std::time_t>(-1)) return false;
        times.access = times.modification = timespec{taken, 0};
        return true;
    }
    times = platform::timesOf(before);
    return true;
}

std::optional<RotateResult> checkPermission(const std::string& photo, const SourceFile& source) {
    platform::ReplaceStatus status = platform::ReplaceStatus::NoPermission;
    const std::string why = platform::writeRefusal(photo, source, &status);
    if (why.empty()) return std::nullopt;
    return refusal(reasonOfReplacement(status), why);
}

// Puts the turned photo in place with its backup and times, as one careful step.
RotateResult replacePhoto(const std::string& photo, const SourceFile& source, const Bytes& turned,
                          const ProcessingOptions& options, const TurnSettings& settings, RotateResult result) {
    platform::Replacement replacement;
    replacement.target = photo;
    replacement.original = &source;
    replacement.keepBackup = options.Backup != 0;
    replacement.setTimes = chooseTimes(options, source.status(), replacement.times);
    replacement.beforeReplace = settings.beforeReplace;
    const platform::ReplaceOutcome replaced = platform::replaceFile(replacement, turned.data(), turned.size());
    if (!replaced.replaced()) return refusal(reasonOfReplacement(replaced.status), replaced.detail);
    result.earlierBackupKept = replaced.earlierBackupKept;
    return result;
}

}  // namespace

int rotateJpegFile(const std::string& path, const ProcessingOptions& options, platform::StatusLine& status) {
    return rotatePhoto(path, options, TurnSettings{}, status).rotated() ? 1 : 0;
}

RotateResult rotatePhoto(const std::string& path, const ProcessingOptions& options, const TurnSettings& settings,
                         platform::StatusLine& status) {
    status.show(processingFileText(path));
    const std::string photo = platform::fileBehindLink(path);
    SourceFile source;
    Bytes bytes;
    if (auto refused = readPhoto(photo, source, bytes)) return *refused;

    SectionsInUse sections(path);
    if (auto refused = readMetadata(bytes)) return *refused;
    const TransformKind kind = options.AutoOrient ? turnForOrientation(photoInfo.orientation) : settings.kind;
    if (kind == TransformKind::None) return outcome(FileOutcome::AlreadyUpright);
    if (auto refused = checkPermission(photo, source)) return *refused;

    TurnedPhoto turned = turnPhoto(bytes, kind, options.AutoOrient != 0, settings);
    if (cancelRequested) return outcome(FileOutcome::Cancelled);
    if (!turned.result.rotated() || settings.dryRun) return turned.result;
    return replacePhoto(photo, source, turned.bytes, options, settings, turned.result);
}

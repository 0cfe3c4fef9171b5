#include "workflow/rotate_jpeg_file.h"

#include <ctime>
#include <optional>
#include <vector>

#include "exif/exif_date.h"
#include "jpegfile/photo_record.h"
#include "workflow/foresight.h"
#include "platform/file_attributes.h"
#include "platform/file_replacement.h"
#include "platform/source_file.h"
#include "workflow/run_messages.h"
#include "workflow/run_state.h"
#include "workflow/sidecars.h"
#include "workflow/turned_photo.h"

namespace {

using Bytes = std::vector<unsigned char>;
using platform::SourceFile;

void addNote(std::string& notes, const std::string& note) {
    if (!note.empty()) notes += (notes.empty() ? "" : "; ") + note;
}

RotateResult outcome(FileOutcome what) {
    RotateResult result;
    result.outcome = what;
    return result;
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

// The photo read whole, once it is known to need a turn.
Result<Bytes> readWhole(const SourceFile& source) {
    Bytes bytes;
    std::string error;
    if (source.readAll(&bytes, &error) != SourceFile::Status::Ok) return refuse(RefusalReason::CannotRead, error);
    return bytes;
}

// The times the rewritten file gets: the Exif date as local time when the switch asks for it and
// the date is a real one, else the times it had before. None (the time of its writing) only when
// a real date cannot be converted.
bool chooseTimes(const ProcessingOptions& options, const PhotoInfo& info, const struct stat& before,
                 platform::FileTimes& times) {
    if (options.EXIFTimestamp && info.dateTimeCount != 0 && isRealExifDate(info.dateTime)) {
        struct tm local {};
        if (!parseExifDateTime(&local, info.dateTime)) return false;
        std::time_t taken = std::mktime(&local);
        if (taken == static_cast<std::time_t>(-1)) return false;
        times.access = times.modification = timespec{taken, 0};
        return true;
    }
    times = platform::timesOf(before);
    return true;
}

// Puts the turned photo in place with its backup and times, as one careful step, and its sidecars
// with it.
RotateResult replacePhoto(const std::string& photo, const SourceFile& source, const PhotoInfo& info,
                          const Bytes& original, const Bytes& turned, Sidecars& sidecars,
                          const ProcessingOptions& options, const TurnSettings& settings, RotateResult result) {
    platform::Replacement replacement;
    replacement.target = photo;
    replacement.original = &source;
    replacement.keepBackup = options.Backup != 0;
    replacement.setTimes = chooseTimes(options, info, source.status(), replacement.times);
    replacement.beforeReplace = settings.beforeReplace;
    const platform::ReplaceOutcome replaced =
        replaceWithSidecars(replacement, turned.data(), turned.size(), original, sidecars);
    if (!replaced.replaced()) return refusal(reasonOfReplacement(replaced.status), replaced.detail);
    result.earlierBackupKept = replaced.earlierBackupKept;
    addNote(result.metadataNote, replaced.detail);
    return result;
}

}  // namespace

RotateResult turnPlannedPhoto(const PlannedPhoto& planned, const ProcessingOptions& options, const TurnSettings& settings,
                              platform::StatusLine& status) {
    status.show(processingFileText(planned.path));
    const std::string photo = platform::fileBehindLink(planned.path);
    // What the photo needs is known from its header: an upright photo is never read whole. A
    // photo whose metadata cannot be read is refused rather than turned with its thumbnail or
    // times left wrong.
    SourceFile source;
    const Foresight foresight = openAndForesee(planned, options, source, SourceFile::Locking::ForRewrite);
    const RotateResult expected = foreseenResult(foresight);
    if (!expected.rotated()) return expected;

    Result<Bytes> bytes = readWhole(source);
    if (!bytes.ok()) return refusal(bytes.refusal());
    Result<PhotoRecord> record = readPhotoRecord(bytes.value().data(), bytes.value().size(), planned.path);
    if (!record.ok()) return refusal(record.refusal());
    const PhotoInfo info = record.value().info;
    const PictureTurn turn = pictureTurnOf(foresight.stored, foresight.orientation, planned.upright, foresight.width,
                                           foresight.height, foresight.strip.columns, foresight.strip.rows);
    Result<PreparedSidecars> sidecars = prepareSidecars(photo, record.value(), foresight.orientation, turn);
    if (!sidecars.ok()) return refusal(sidecars.refusal());
    TurnedPhoto turned = turnPhoto(bytes.value(), std::move(record.value()), turn, settings);
    if (settings.run.cancelled()) return outcome(FileOutcome::Cancelled);
    if (!turned.result.rotated()) return turned.result;
    turned.result.strip = expected.strip;
    turned.result.orientationBefore = expected.orientationBefore;
    turned.result.orientationAfter = expected.orientationAfter;
    addNote(turned.result.metadataNote, expected.metadataNote);
    addNote(turned.result.metadataNote, sidecars.value().note);
    return replacePhoto(photo, source, info, bytes.value(), turned.bytes, sidecars.value().files, options, settings,
                        turned.result);
}

RotateResult rotatePhoto(const std::string& path, const ProcessingOptions& options, const TurnSettings& settings,
                         platform::StatusLine& status) {
    return turnPlannedPhoto(plannedFor(path, settings.kind, options.AutoOrient != 0), options, settings, status);
}

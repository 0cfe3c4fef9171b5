#include "workflow/rotate_jpeg_file.h"

#include <unistd.h>

#include <ctime>
#include <optional>
#include <vector>

#include "exif/exif_date.h"
#include "jpegfile/photo_record.h"
#include "platform/content_hash.h"
#include "platform/file_attributes.h"
#include "platform/file_replacement.h"
#include "platform/source_file.h"
#include "workflow/foresight.h"
#include "workflow/run_journal.h"
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
    case platform::ReplaceStatus::TrashUnavailable: return RefusalReason::TrashUnavailable;
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

// The mark of a file's bytes as they stand in `st`.
FileMark markOf(const Bytes& bytes, const struct stat& st) {
    return {static_cast<std::int64_t>(bytes.size()), st.st_mtim, st.st_atim, platform::contentHash(bytes.data(), bytes.size())};
}

// What the journal says just before the new file takes the photo's name.
JournalEntry journalEntry(const PlannedPhoto& planned, const std::string& photo, const RotateResult& result,
                          const Bytes& original, const struct stat& before, const Bytes& bytes,
                          const platform::PreparedReplacement& ready) {
    JournalEntry entry;
    entry.photo = planned.path;
    entry.file = platform::absolutePathOf(photo);
    entry.stored = result.turn;
    entry.seen = planned.turn;
    entry.upright = planned.upright;
    entry.orientationBefore = result.orientationBefore;
    entry.orientationAfter = result.orientationAfter;
    entry.stripDropped = result.strip.any();
    entry.backup = ready.newBackup.empty() ? "" : platform::absolutePathOf(ready.newBackup);
    if (ready.earlierBackup) entry.earlierBackup = platform::absolutePathOf(photo + platform::kBackupSuffix);
    entry.trashFile = ready.trashFile;
    entry.turned = markOf(bytes, ready.newFile);
    entry.original = markOf(original, before);
    entry.putBack = result.putBack;
    return entry;
}

// What takes the photo's place, and what is kept of the photo.
struct Rewrite {
    const Bytes& original;  // the photo as read
    const Bytes& bytes;     // what replaces it
    Sidecars* sidecars = nullptr;  // replaced with it, all or nothing
    bool keepBackup = false;
    bool keepInTrash = false;
    bool setTimes = false;
    platform::FileTimes times;
};

// Puts the new file in place with the backup and times asked for, as one careful step, said in
// the run's journal before the photo's name changes hands, and its sidecars with it.
RotateResult replacePhoto(const PlannedPhoto& planned, const std::string& photo, const SourceFile& source,
                          const Rewrite& rewrite, const TurnSettings& settings, RotateResult result) {
    platform::Replacement replacement;
    replacement.target = photo;
    replacement.original = &source;
    replacement.keepBackup = rewrite.keepBackup;
    replacement.keepInTrash = rewrite.keepInTrash;
    replacement.setTimes = rewrite.setTimes;
    replacement.times = rewrite.times;
    replacement.beforeReplace = settings.beforeReplace;
    if (RunJournal* journal = settings.run.journal) {
        replacement.announce = [&, journal](const platform::PreparedReplacement& ready) {  // journal: scoped to the if
            journal->replacing(journalEntry(planned, photo, result, rewrite.original, source.status(), rewrite.bytes, ready));
        };
    }
    Sidecars none;
    const platform::ReplaceOutcome replaced = replaceWithSidecars(replacement, rewrite.bytes.data(), rewrite.bytes.size(),
                                                                  rewrite.original, rewrite.sidecars ? *rewrite.sidecars : none);
    if (!replaced.replaced()) return refusal(reasonOfReplacement(replaced.status), replaced.detail);
    result.earlierBackupKept = replaced.earlierBackupKept;
    addNote(result.metadataNote, replaced.detail);
    return result;
}

// ---- Undo: the photo put back as it was before the run that turned it ----

// The Orientation the turn leaves: 1 for upright, the value it had before for an undo by the
// inverse turn; 0 keeps it.
int tagAfterTurn(const PlannedPhoto& planned) {
    if (planned.upright) return 1;
    if (planned.undo && planned.undo->entry.orientationBefore != planned.undo->entry.orientationAfter)
        return planned.undo->entry.orientationBefore;
    return 0;
}

// The photo must be the very file the run left; one that is what it was before is left alone.
std::optional<RotateResult> unlessAsTheRunLeftIt(const JournalEntry& entry, const Bytes& bytes) {
    const std::string hash = platform::contentHash(bytes.data(), bytes.size());
    if (static_cast<std::int64_t>(bytes.size()) == entry.turned.size && hash == entry.turned.hash) return std::nullopt;
    if (hash == entry.original.hash) {
        RotateResult left = outcome(FileOutcome::Skipped);
        left.detail = "it is as it was before that run";
        return left;
    }
    return refusal(RefusalReason::ChangedSinceRun);
}

// A kept copy of the original that still holds it byte for byte.
struct KeptOriginal {
    std::string path;
    Bytes bytes;
};

std::optional<KeptOriginal> keptOriginal(const std::string& path, const FileMark& original) {
    if (path.empty()) return std::nullopt;
    SourceFile kept;
    KeptOriginal found{path, {}};
    if (kept.open(path, nullptr, SourceFile::Locking::None) != SourceFile::Status::Ok ||
        kept.readAll(&found.bytes, nullptr) != SourceFile::Status::Ok ||
        static_cast<std::int64_t>(found.bytes.size()) != original.size ||
        platform::contentHash(found.bytes.data(), found.bytes.size()) != original.hash)
        return std::nullopt;
    return found;
}

// From its kept original, byte for byte and with its times; the Trash entry and this run's
// backup go once the photo is back, for they hold what the photo holds again. Nothing when no
// kept copy holds the original any more.
// Its sidecars go back with it by the inverse edit, as they do with an undo by the inverse turn.
std::optional<RotateResult> restoreFromKept(const PlannedPhoto& planned, const std::string& photo, const SourceFile& source,
                                            const Bytes& bytes, const Foresight& foresight, const TurnSettings& settings) {
    const JournalEntry& entry = planned.undo->entry;
    std::optional<KeptOriginal> fromTrash = keptOriginal(entry.trashFile, entry.original);
    std::optional<KeptOriginal> fromBackup = keptOriginal(entry.backup.empty() ? entry.earlierBackup : entry.backup, entry.original);
    if (!fromTrash && !fromBackup) return std::nullopt;
    const KeptOriginal& kept = fromBackup ? *fromBackup : *fromTrash;
    Result<PhotoRecord> record = readPhotoRecord(bytes.data(), bytes.size(), planned.path);
    if (!record.ok()) return refusal(record.refusal());
    const PictureTurn inverse = pictureTurnOf(foresight.stored, foresight.orientation, tagAfterTurn(planned),
                                              foresight.width, foresight.height, 0, 0);
    Result<PreparedSidecars> sidecars = prepareSidecars(photo, record.value(), foresight.orientation, inverse);
    if (!sidecars.ok()) return refusal(sidecars.refusal());
    RotateResult result = outcome(FileOutcome::Rotated);
    result.putBack = fromBackup ? "from its backup" : "from the Trash";
    result.orientationBefore = entry.orientationAfter;
    result.orientationAfter = entry.orientationBefore;
    result.metadataNote = sidecars.value().note;
    const Rewrite rewrite{bytes, kept.bytes, &sidecars.value().files, false, false, true,
                          {entry.original.access, entry.original.modification}};
    result = replacePhoto(planned, photo, source, rewrite, settings, result);
    if (!result.rotated()) return result;
    if (fromTrash) platform::removeTrashEntry(fromTrash->path);
    if (fromBackup && !entry.backup.empty()) ::unlink(fromBackup->path.c_str());
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
    if (source.fd() < 0) return foreseenResult(foresight);

    // An undo reads the photo first: only the file the run left is put back.
    std::optional<Bytes> read;
    if (planned.undo) {
        Result<Bytes> bytes = readWhole(source);
        if (!bytes.ok()) return refusal(bytes.refusal());
        if (auto left = unlessAsTheRunLeftIt(planned.undo->entry, bytes.value())) return *left;
        if (auto restored = restoreFromKept(planned, photo, source, bytes.value(), foresight, settings)) return *restored;
        if (planned.undo->entry.stripDropped) return refusal(RefusalReason::CannotBeUndone);
        read = std::move(bytes.value());
    }

    RotateResult expected = foreseenResult(foresight);
    if (!expected.rotated()) return expected;
    const int tagAfter = tagAfterTurn(planned);
    expected.orientationAfter = tagAfter != 0 && foresight.orientation != 0 ? tagAfter : foresight.orientation;
    if (planned.undo && foresight.strip.any()) return refusal(RefusalReason::CannotBeUndone);

    if (!read) {
        Result<Bytes> bytes = readWhole(source);
        if (!bytes.ok()) return refusal(bytes.refusal());
        read = std::move(bytes.value());
    }
    Result<PhotoRecord> record = readPhotoRecord(read->data(), read->size(), planned.path);
    if (!record.ok()) return refusal(record.refusal());
    const PhotoInfo info = record.value().info;
    const PictureTurn turn = pictureTurnOf(foresight.stored, foresight.orientation, tagAfter, foresight.width,
                                           foresight.height, foresight.strip.columns, foresight.strip.rows);
    Result<PreparedSidecars> sidecars = prepareSidecars(photo, record.value(), foresight.orientation, turn);
    if (!sidecars.ok()) return refusal(sidecars.refusal());
    TurnedPhoto turned = turnPhoto(*read, std::move(record.value()), turn, settings);
    if (settings.run.cancelled()) return outcome(FileOutcome::Cancelled);
    if (!turned.result.rotated()) return turned.result;
    turned.result.strip = expected.strip;
    turned.result.orientationBefore = expected.orientationBefore;
    turned.result.orientationAfter = expected.orientationAfter;
    addNote(turned.result.metadataNote, expected.metadataNote);
    addNote(turned.result.metadataNote, sidecars.value().note);
    Rewrite rewrite{*read, turned.bytes, &sidecars.value().files, false, false, false, {}};
    if (planned.undo) {
        const FileMark& original = planned.undo->entry.original;
        turned.result.putBack = "by the inverse turn";
        rewrite.setTimes = true;
        rewrite.times = {original.access, original.modification};
    } else {
        rewrite.keepBackup = options.Backup != 0;
        rewrite.keepInTrash = options.TrashOriginal != 0;
        rewrite.setTimes = chooseTimes(options, info, source.status(), rewrite.times);
    }
    return replacePhoto(planned, photo, source, rewrite, settings, turned.result);
}

RotateResult rotatePhoto(const std::string& path, const ProcessingOptions& options, const TurnSettings& settings,
                         platform::StatusLine& status) {
    return turnPlannedPhoto(plannedFor(path, settings.kind, options.AutoOrient != 0), options, settings, status);
}

#include "workflow/foresight.h"

#include <cstdio>

#include "jpegfile/markers.h"
#include "platform/file_attributes.h"
#include "platform/file_replacement.h"
#include "workflow/photo_header.h"
#include "workflow/stated_orientation.h"

namespace {

using platform::SourceFile;

// The JPEG processes and precisions that libjpeg reads coefficients of: baseline, extended,
// progressive and their arithmetic forms, 8 bits a sample. Said in the library's own words.
std::string unsupportedFrame(const FrameFacts& frame) {
    char text[64] = "";
    switch (frame.marker) {
    case 0xC3: case 0xC5: case 0xC6: case 0xC7: case 0xCB: case 0xCD: case 0xCE: case 0xCF:
        std::snprintf(text, sizeof text, "Unsupported JPEG process: SOF type 0x%02x", frame.marker);
        break;
    default:
        if (frame.marker != 0 && frame.precision != 8)
            std::snprintf(text, sizeof text, "Unsupported JPEG data precision %d", frame.precision);
    }
    return text;
}

Refusal permissionRefusal(const std::string& photo, const SourceFile& source) {
    platform::ReplaceStatus status = platform::ReplaceStatus::NoPermission;
    const std::string why = platform::writeRefusal(photo, source, &status);
    if (why.empty()) return {};
    return refuse(status == platform::ReplaceStatus::AttributesNotKept ? RefusalReason::AttributesNotKept
                                                                        : RefusalReason::NoPermission,
                  why);
}

Refusal standingRefusal(const PhotoRecord& header) {
    if (header.exif() && !header.exifLayout.walked)
        return refuse(RefusalReason::UnreadableMetadata, "its Exif block cannot be read");
    if (const std::string frame = unsupportedFrame(header.frame); !frame.empty())
        return refuse(RefusalReason::Unsupported, frame);
    return {};
}

PhotoFacts refusedFacts(Refusal why) {
    PhotoFacts facts;
    facts.whateverTurn = std::move(why);
    return facts;
}

// A photo of several names is refused whatever its header says, but may still be looked at.
PhotoFacts readFacts(const SourceFile& source, const std::string& path, const std::string& photo,
                     const HeaderVisitor& visit) {
    const bool severalNames = source.status().st_nlink > 1;
    if (severalNames && !visit) return refusedFacts(refuse(RefusalReason::SeveralNames));
    const Result<PhotoRecord> header = readPhotoHeader(source, path);
    if (header.ok() && visit) visit(header.value(), source);
    PhotoFacts facts = header.ok() ? photoFactsOf(header.value(), source, photo) : refusedFacts(header.refusal());
    if (severalNames) facts.whateverTurn = refuse(RefusalReason::SeveralNames);
    return facts;
}

bool refused(const Refusal& refusal) { return refusal.reason != RefusalReason::None; }

RefusalReason reasonOfOpen(SourceFile::Status status) {
    switch (status) {
    case SourceFile::Status::NotRegular: return RefusalReason::NotRegularFile;
    case SourceFile::Status::InUse: return RefusalReason::InUse;
    default: return RefusalReason::CannotRead;
    }
}

}  // namespace

PhotoFacts photoFactsOf(const PhotoRecord& header, const SourceFile& source, const std::string& photo) {
    PhotoFacts facts;
    facts.headerRead = true;
    const StatedOrientation stated = statedOrientation(header, photo);
    facts.orientation = stated.followed;
    facts.orientationNote = stated.note;
    facts.othersNotUpright = stated.othersNotUpright;
    facts.frame = header.frame;
    facts.whateverTurn = standingRefusal(header);
    if (header.further.present && !header.further.problem.empty())
        facts.ifChanged = refuse(RefusalReason::FurtherPicture, header.further.problem);
    else
        facts.ifChanged = permissionRefusal(photo, source);
    const std::string backupTaken = platform::backupNameTakenBy(photo);
    if (!backupTaken.empty()) facts.ifBackedUp = refuse(RefusalReason::BackupNameTaken, backupTaken);
    return facts;
}

Foresight foreseeTurn(const PlannedPhoto& planned, const ProcessingOptions& options, const PhotoFacts& facts) {
    Foresight foresight;
    foresight.known = true;
    if (!facts.headerRead) {
        foresight.refusal = facts.whateverTurn;
        return foresight;
    }
    foresight.orientation = facts.orientation;
    foresight.orientationNote = facts.orientationNote;
    foresight.stored = storedTurnOf(planned.turn, planned.upright, foresight.orientation);
    foresight.tagChanges = tagResetBy(planned.upright, foresight.orientation) || (planned.upright && facts.othersNotUpright);
    foresight.strip = edgeStripOf(facts.frame, foresight.stored);
    foresight.width = facts.frame.width;
    foresight.height = facts.frame.height;
    // In the order the turn meets them: the photo itself, nothing to do, its size, its file.
    if (refused(facts.whateverTurn)) foresight.refusal = facts.whateverTurn;
    else if (foresight.nothingToDo()) foresight.refusal = {};
    else if (foresight.strip.tooSmall)
        foresight.refusal = refuse(RefusalReason::Unsupported, "smaller than one block in a direction the turn mirrors");
    else if (options.RefuseEdgeStrip && foresight.strip.any())
        foresight.refusal = refuse(RefusalReason::EdgeStripDropped, edgeStripText(foresight.strip, true));
    else if (refused(facts.ifChanged)) foresight.refusal = facts.ifChanged;
    else if (options.Backup) foresight.refusal = facts.ifBackedUp;
    return foresight;
}

Foresight foreseeTurn(const PlannedPhoto& planned, const ProcessingOptions& options, const PhotoRecord& header,
                      const SourceFile& source, const std::string& photo) {
    return foreseeTurn(planned, options, photoFactsOf(header, source, photo));
}

Foresight openAndForesee(const PlannedPhoto& planned, const ProcessingOptions& options, SourceFile& source,
                         SourceFile::Locking locking) {
    const std::string photo = platform::fileBehindLink(planned.path);
    std::string error;
    const SourceFile::Status status = source.open(photo, &error, locking);
    if (status != SourceFile::Status::Ok) return foreseeTurn(planned, options, refusedFacts(refuse(reasonOfOpen(status), error)));
    PhotoFacts facts = readFacts(source, planned.path, photo, {});
    facts.identity = source.identity();
    return foreseeTurn(planned, options, facts);
}

PhotoFacts readPhotoFacts(const std::string& path, const HeaderVisitor& visit) {
    const std::string photo = platform::fileBehindLink(path);
    SourceFile source;
    std::string error;
    switch (source.open(photo, &error, SourceFile::Locking::None)) {
    case SourceFile::Status::Ok: break;
    case SourceFile::Status::NotRegular: return refusedFacts(refuse(RefusalReason::NotRegularFile));
    default: return refusedFacts(refuse(RefusalReason::CannotRead, error));
    }
    PhotoFacts facts = readFacts(source, path, photo, visit);
    facts.identity = source.identity();
    return facts;
}

Foresight foresee(const PlannedPhoto& planned, const ProcessingOptions& options) {
    return foreseeTurn(planned, options, readPhotoFacts(planned.path));
}

RotateResult foreseenResult(const Foresight& foresight) {
    RotateResult result = refusal(foresight.refusal);
    if (foresight.refusal.reason == RefusalReason::None)
        result.outcome = foresight.nothingToDo() ? FileOutcome::AlreadyUpright : FileOutcome::Rotated;
    result.turn = foresight.stored;
    result.strip = foresight.strip;
    result.orientationBefore = foresight.orientation;
    result.orientationAfter = foresight.tagChanges ? 1 : foresight.orientation;
    result.metadataNote = foresight.orientationNote;
    return result;
}

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

// The first refusal a turn of `header` by `foresight.stored` meets before its picture data.
Refusal refusalOf(const Foresight& foresight, const ProcessingOptions& options, const PhotoRecord& header,
                  const SourceFile& source, const std::string& photo) {
    if (header.exif() && !header.exifLayout.walked)
        return refuse(RefusalReason::UnreadableMetadata, "its Exif block cannot be read");
    if (const std::string frame = unsupportedFrame(header.frame); !frame.empty())
        return refuse(RefusalReason::Unsupported, frame);
    if (foresight.nothingToDo()) return {};
    if (foresight.strip.tooSmall)
        return refuse(RefusalReason::Unsupported, "smaller than one block in a direction the turn mirrors");
    if (options.RefuseEdgeStrip && foresight.strip.any())
        return refuse(RefusalReason::EdgeStripDropped, edgeStripText(foresight.strip, true));
    if (header.further.present && !header.further.problem.empty())
        return refuse(RefusalReason::FurtherPicture, header.further.problem);
    return permissionRefusal(photo, source);
}

RefusalReason reasonOfOpen(SourceFile::Status status) {
    switch (status) {
    case SourceFile::Status::NotRegular: return RefusalReason::NotRegularFile;
    case SourceFile::Status::InUse: return RefusalReason::InUse;
    default: return RefusalReason::CannotRead;
    }
}

Foresight refused(Refusal refusal) {
    Foresight foresight;
    foresight.known = true;
    foresight.refusal = std::move(refusal);
    return foresight;
}

}  // namespace

Foresight foreseeTurn(const PlannedPhoto& planned, const ProcessingOptions& options, const PhotoRecord& header,
                      const SourceFile& source, const std::string& photo) {
    Foresight foresight;
    foresight.known = true;
    const StatedOrientation stated = statedOrientation(header, photo);
    foresight.orientation = stated.followed;
    foresight.orientationNote = stated.note;
    foresight.stored = storedTurnOf(planned.turn, planned.upright, foresight.orientation);
    foresight.tagChanges =
        tagResetBy(planned.upright, foresight.orientation) || (planned.upright && stated.othersNotUpright);
    foresight.strip = edgeStripOf(header.frame, foresight.stored);
    foresight.width = header.frame.width;
    foresight.height = header.frame.height;
    foresight.refusal = refusalOf(foresight, options, header, source, photo);
    return foresight;
}

Foresight openAndForesee(const PlannedPhoto& planned, const ProcessingOptions& options, SourceFile& source,
                         SourceFile::Locking locking) {
    const std::string photo = platform::fileBehindLink(planned.path);
    std::string error;
    const SourceFile::Status status = source.open(photo, &error, locking);
    if (status != SourceFile::Status::Ok) return refused(refuse(reasonOfOpen(status), error));
    // Turned under one name, a file of several names would keep the old picture under the others.
    if (source.status().st_nlink > 1) return refused(refuse(RefusalReason::SeveralNames));
    const Result<PhotoRecord> header = readPhotoHeader(source, planned.path);
    if (!header.ok()) return refused(header.refusal());
    return foreseeTurn(planned, options, header.value(), source, photo);
}

Foresight foresee(const PlannedPhoto& planned, const ProcessingOptions& options) {
    SourceFile source;
    return openAndForesee(planned, options, source, SourceFile::Locking::None);
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

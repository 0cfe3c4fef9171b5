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
Refusal refusalOf(const Foresight& foresight, const PhotoRecord& header, const SourceFile& source,
                  const std::string& photo) {
    if (header.exif() && !header.exifLayout.walked)
        return refuse(RefusalReason::UnreadableMetadata, "its Exif block cannot be read");
    if (const std::string frame = unsupportedFrame(header.frame); !frame.empty())
        return refuse(RefusalReason::Unsupported, frame);
    if (foresight.nothingToDo()) return {};
    if (foresight.strip.tooSmall)
        return refuse(RefusalReason::Unsupported, "smaller than one block in a direction the turn mirrors");
    if (header.further.present && !header.further.problem.empty())
        return refuse(RefusalReason::FurtherPicture, header.further.problem);
    return permissionRefusal(photo, source);
}

SourceFile::Status reasonlessOpen(SourceFile& source, const std::string& photo, std::string* error) {
    return source.open(photo, error, SourceFile::Locking::None);
}

}  // namespace

Foresight foreseeTurn(const PlannedPhoto& planned, const PhotoRecord& header, const SourceFile& source,
                      const std::string& photo) {
    Foresight foresight;
    foresight.known = true;
    const StatedOrientation stated = statedOrientation(header, photo);
    foresight.orientation = stated.followed;
    foresight.orientationNote = stated.note;
    foresight.stored = storedTurnOf(planned.turn, planned.upright, foresight.orientation);
    foresight.tagChanges =
        tagResetBy(planned.upright, foresight.orientation) || (planned.upright && stated.othersNotUpright);
    foresight.strip = edgeStripOf(header.frame, foresight.stored);
    foresight.refusal = refusalOf(foresight, header, source, photo);
    return foresight;
}

Foresight foresee(const PlannedPhoto& planned) {
    Foresight foresight;
    foresight.known = true;
    const std::string photo = platform::fileBehindLink(planned.path);
    SourceFile source;
    std::string error;
    switch (reasonlessOpen(source, photo, &error)) {
    case SourceFile::Status::Ok: break;
    case SourceFile::Status::NotRegular: foresight.refusal = refuse(RefusalReason::NotRegularFile); return foresight;
    default: foresight.refusal = refuse(RefusalReason::CannotRead, error); return foresight;
    }
    if (source.status().st_nlink > 1) {
        foresight.refusal = refuse(RefusalReason::SeveralNames);
        return foresight;
    }
    const Result<PhotoRecord> header = readPhotoHeader(source, planned.path);
    if (!header.ok()) {
        foresight.refusal = header.refusal();
        return foresight;
    }
    return foreseeTurn(planned, header.value(), source, photo);
}

#include "workflow/turned_photo.h"

#include <cstdint>
#include <utility>

#include "exif/turn_edits.h"
#include "jpegfile/further_pictures.h"
#include "jpegfile/jfxx_thumbnail.h"
#include "jpegfile/markers.h"
#include "jpegfile/photo_writer.h"
#include "jpegfile/pixel_shape.h"
#include "jpegfile/segment_thumbnails.h"
#include "jpegfile/segment_walk.h"
#include "jpegfile/strip_thumbnail.h"
#include "jpegfile/thumbnail.h"
#include "jpegfile/xmp_edit.h"
#include "transform/turns.h"
#include "workflow/further_picture_turn.h"
#include "workflow/picture_turner.h"
#include "workflow/stated_positions.h"

namespace {

using Bytes = std::vector<unsigned char>;

class PhotoTurn {
public:
    PhotoTurn(const Bytes& source, PhotoRecord record, const PictureTurn& turn, const TurnSettings& settings,
              bool further = false)
        : source_(source), record_(std::move(record)), turn_(turn), kind_(turn.stored), settings_(settings),
          further_(further) {
        memory_.budget = settings.run.memory;
    }

    TurnedPhoto run() {
        TurnedPhoto turned;
        turned.result.turn = kind_;
        pass_ = further_
                    ? turnFurtherPicturePass(source_, record_.frame, kind_, settings_, &memory_, &turned.result.reencoded)
                    : turnMainPicture(source_, kind_, settings_, &memory_);
        if (pass_.failure == PassFailure::Cancelled) {
            turned.result.outcome = FileOutcome::Cancelled;
            return turned;
        }
        if (!pass_.ok() || (!pass_.exact && turned.result.reencoded.empty()))
            return refused(refusal(refusalOfPass(pass_, &memory_)));
        std::string reason;
        if (!further_ && !turnFurtherPictures(&reason)) return refused(refusal(RefusalReason::FurtherPicture, reason));
        if (!keepSegmentsBetweenScans())
            return refused(refusal(RefusalReason::UnreadableMetadata, "more than " + std::to_string(kMaxSpansBetweenScans) +
                                                                          " segments between the scans of its picture"));
        turned.result.thumbnailNotTurned = turnThumbnails(&turned.result.thumbnailStrip);
        noteFurtherResults(furtherResults_, tail_.pictures, &turned.result);
        if (!editMetadata(&reason)) return refused(refusal(RefusalReason::UnreadableMetadata, reason));
        if (!assemble(&turned.bytes, &reason)) return refused(refusal(RefusalReason::WriteFailed, reason));
        turned.result.outcome = FileOutcome::Rotated;
        return turned;
    }

private:
    TurnedPhoto refused(RotateResult result) {
        TurnedPhoto turned;
        result.turn = kind_;
        turned.result = std::move(result);
        return turned;
    }

    // Calls `edit` with the payload of every segment of that kind, and puts the edited payload
    // back. false with the edit's reason when one refuses or the result does not fit.
    template <typename Edit>
    bool editSegments(SegmentKind kind, Edit edit, std::string* reason) {
        for (Segment& segment : record_.segments) {
            if (!segment.is(kind)) continue;
            Bytes payload(segment.payload(), segment.payload() + segment.payloadSize());
            if (!edit(&payload, reason)) return false;
            if (!segment.setPayload(payload)) {
                *reason = "an edited segment does not fit in a JPEG segment";
                return false;
            }
        }
        return true;
    }

    // The bytes after the main picture: kept as they stand, with each further picture of a
    // multi-picture index or the XMP container directory turned like the main picture. An index
    // that cannot be read refuses the photo: the pictures it lists would stay unturned behind a
    // turned one.
    bool turnFurtherPictures(std::string* reason) {
        const MultiPictureFacts& further = record_.further;
        if (further.present && !further.problem.empty()) {
            *reason = further.problem;
            return false;
        }
        return rebuildTrailingRegion(source_.data(), source_.size(), pass_.consumed, further.index, further.base,
                                     furtherPictureTurner(source_, kind_, turn_.tagAfter, settings_, &furtherResults_), &tail_,
                                     reason, containerItemsOf(record_, pass_.consumed));
    }

    // Application segments and comments that stand between the scans of a progressive picture,
    // kept behind those of its header: the turned picture is written with scans of its own.
    bool keepSegmentsBetweenScans() {
        const ScanWalk walk = segmentsAfterFirstScan(source_.data(), pass_.consumed);
        if (walk.tooMany) return false;
        for (const SegmentSpan& span : walk.spans) {
            if (!isApplicationMarker(span.markerCode)) continue;
            Segment segment = makeSegment(span.markerCode, source_.data() + span.payloadAt, span.payloadSize);
            segment.offset = span.payloadAt - 4;
            record_.segments.push_back(std::move(segment));
        }
        return true;
    }

    // The Exif thumbnail (a JPEG one, or uncompressed strips), any JFXX thumbnail and the
    // thumbnails of other segments; what could not be turned stays as it was, and the reasons are
    // returned. The Exif thumbnail is turned exactly too, and may lose an edge strip of its own:
    // `strip` says which, once the turned one stands in the photo.
    std::string turnThumbnails(EdgeStrip* strip) {
        std::string note;
        const JpegStreamTurner turner = embeddedPictureTurner(kind_, settings_, true);
        const Bytes thumbnail = thumbnailBytes(record_);
        if (!thumbnail.empty()) {
            Bytes turned;
            std::string reason;
            EdgeStrip dropped;
            if (!embeddedPictureTurner(kind_, settings_, true, &dropped)(thumbnail.data(), thumbnail.size(), &turned, &reason))
                note = "the thumbnail cannot be turned: " + reason;
            else note = replaceThumbnail(record_, turned);
            if (note.empty()) *strip = dropped;
        }
        std::string jfxxReason;
        auto turnJfxx = [&](Bytes* payload, std::string* reason) {
            // A JFXX header without its extension code holds nothing to turn.
            return !isJfxxPayload(payload->data(), payload->size()) || turnJfxxThumbnail(payload, kind_, turner, reason);
        };
        if (!editSegments(SegmentKind::Jfxx, turnJfxx, &jfxxReason) && note.empty()) note = jfxxReason;
        for (const std::string& more : {turnStripThumbnail(record_, kind_), turnSegmentThumbnails(record_, kind_, turner)})
            if (!more.empty()) note += (note.empty() ? "" : "; ") + more;
        return note;
    }

    // What the photo states about itself and the turn changed: the container lengths of turned
    // pictures, the orientation where the turn sets it, the pixel dimensions, the positions.
    bool editMetadata(std::string* reason) {
        if (!tail_.pictures.empty()) {
            auto lengths = [&](Bytes* payload, std::string* why) {
                return rewriteContainerLengths(payload, pass_.consumed, tail_.pictures, why);
            };
            if (!editSegments(SegmentKind::Xmp, lengths, reason)) return false;
        }
        Segment* exif = record_.exif();
        if (turn_.tagAfter != 0 && exif &&
            !setOrientation(exif->bytes.data(), exif->bytes.size(), record_.exifLayout,
                            static_cast<std::uint32_t>(turn_.tagAfter))) {
            *reason = "its orientation tag cannot be set to " + std::to_string(turn_.tagAfter);
            return false;
        }
        statePixelDimensions();
        swapPixelShape(record_, kind_);
        return turnStatedPositions(record_, pass_, turn_, reason);
    }

    // Swapped with the axes; the picture's own size where trimming made it smaller. A value that
    // does not fit its type is left as it stands.
    void statePixelDimensions() {
        Segment* exif = record_.exif();
        std::uint32_t width = 0, height = 0;
        if (!exif || !readPixelDimensions(exif->bytes.data(), exif->bytes.size(), record_.exifLayout, &width, &height))
            return;
        if (pass_.trimmed) {
            setPixelDimensions(exif->bytes.data(), exif->bytes.size(), record_.exifLayout,
                               static_cast<std::uint32_t>(pass_.width), static_cast<std::uint32_t>(pass_.height));
        } else if (turnFacts(kind_).transposes) {
            setPixelDimensions(exif->bytes.data(), exif->bytes.size(), record_.exifLayout, height, width);
        }
    }

    // The kept segments, the turned picture's tables, frame and scans, then the bytes after it;
    // the multi-picture index patched for where everything now lies.
    bool assemble(Bytes* file, std::string* reason) {
        *file = writePhoto(record_, pass_.output, {});
        if (!tail_.pictures.empty() && !patchMpIndex(file->data(), file->size(), tail_, reason)) return false;
        file->insert(file->end(), tail_.bytes.begin(), tail_.bytes.end());
        return true;
    }

    const Bytes& source_;
    PhotoRecord record_;
    const PictureTurn turn_;
    const TransformKind kind_;
    const TurnSettings& settings_;
    const bool further_;  // a further picture of a photo: full size, no further pictures of its own
    FurtherResults furtherResults_;
    CoefficientMemory memory_;
    CoefficientPassResult pass_;
    TrailingRegion tail_;
};

}  // namespace

TurnedPhoto turnPhoto(const std::vector<unsigned char>& source, PhotoRecord record, const PictureTurn& turn,
                      const TurnSettings& settings) {
    return PhotoTurn(source, std::move(record), turn, settings).run();
}

TurnedPhoto turnFurtherPicture(const std::vector<unsigned char>& picture, PhotoRecord record, TransformKind kind,
                               int tagAfter, const TurnSettings& settings) {
    // Kept at its full size: no strip is dropped.
    const PictureTurn turn =
        pictureTurnOf(kind, record.info.orientation, tagAfter, record.frame.width, record.frame.height, 0, 0);
    return PhotoTurn(picture, std::move(record), turn, settings, true).run();
}

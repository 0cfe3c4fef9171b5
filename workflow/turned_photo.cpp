#include "workflow/turned_photo.h"

#include <cstdint>
#include <utility>

#include "exif/turn_edits.h"
#include "exif/photo_info.h"
#include "jpegfile/further_pictures.h"
#include "jpegfile/jfxx_thumbnail.h"
#include "jpegfile/mpf_index.h"
#include "jpegfile/section_table.h"
#include "jpegfile/segment_fields.h"
#include "jpegfile/segment_walk.h"
#include "jpegfile/thumbnail.h"
#include "jpegfile/xmp_edit.h"
#include "workflow/picture_turner.h"

namespace {

using Bytes = std::vector<unsigned char>;

bool swapsAxes(TransformKind kind) {
    return kind == TransformKind::Transpose || kind == TransformKind::Transverse || kind == TransformKind::Rotate90 ||
           kind == TransformKind::Rotate270;
}

// The payload of a table entry (behind its length field), copied for an edit.
Bytes payloadOf(const JpegSection& entry) { return Bytes(entry.bytes + 2, entry.bytes + entry.byteCount); }

bool putPayload(JpegSection& entry, const Bytes& payload) {
    return replaceSectionPayload(&entry, payload.data(), payload.size()) == 1;
}

// Calls `edit` with the payload of every table entry `matches` accepts, and puts the edited
// payload back. false with the edit's reason when one refuses or the result does not fit.
template <typename Matches, typename Edit>
bool editEntries(Matches matches, Edit edit, std::string* reason) {
    for (int i = 0; i < sectionTable.count; ++i) {
        JpegSection& entry = sectionTable.entries[i];
        if (entry.markerCode == ImageDataMarker || !matches(entry)) continue;
        Bytes payload = payloadOf(entry);
        if (!edit(&payload, reason)) return false;
        if (!putPayload(entry, payload)) {
            *reason = "an edited segment does not fit in a JPEG segment";
            return false;
        }
    }
    return true;
}

bool isApp(const JpegSection& entry, int code, bool (*identified)(const unsigned char*, std::size_t)) {
    return entry.markerCode == code && identified(entry.bytes + 2, static_cast<std::size_t>(entry.byteCount - 2));
}

class PhotoTurn {
public:
    PhotoTurn(const Bytes& source, TransformKind kind, bool upright, const TurnSettings& settings)
        : source_(source), kind_(kind), upright_(upright), settings_(settings) {
        memory_.budget = settings.memoryBudget;
    }

    TurnedPhoto run() {
        TurnedPhoto turned;
        turned.result.turn = kind_;
        pass_ = turnMainPicture(source_, kind_, settings_, &memory_);
        if (!pass_.ok() || !pass_.exact) return refused(refusalOfPass(pass_, memory_));
        std::string reason;
        if (!turnFurtherPictures(&reason)) return refused(refusal(RefusalReason::FurtherPicture, reason));
        if (!keepSegmentsBetweenScans()) return refused(refusal(RefusalReason::UnreadableMetadata, "too many segments"));
        turned.result.thumbnailNotTurned = turnThumbnails();
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

    // The bytes after the main picture: kept as they stand, with each further picture of a
    // multi-picture index turned like the main picture. An index that cannot be read refuses the
    // photo: the pictures it lists would stay unturned behind a turned one.
    bool turnFurtherPictures(std::string* reason) {
        const std::size_t end = pass_.consumed;
        SegmentSpan mpf;
        MpIndex index;
        if (findMpfSegment(source_.data(), end, &mpf) &&
            !readMpIndex(source_.data() + mpf.payloadAt, mpf.payloadSize, &index, reason))
            return false;
        return rebuildTrailingRegion(source_.data(), source_.size(), end, index, mpf.payloadAt + kMpBaseInPayload,
                                     embeddedPictureTurner(kind_, settings_, false), &tail_, reason);
    }

    // Application segments and comments that stand between the scans of a progressive picture,
    // kept behind those of its header: the turned picture is written with scans of its own.
    bool keepSegmentsBetweenScans() {
        for (const SegmentSpan& span : segmentsAfterFirstScan(source_.data(), pass_.consumed)) {
            const int code = span.markerCode;
            const bool application = (code >= kApp0 && code <= kApp0 + 15) || code == kComment;
            if (application && !appendSection(code, source_.data() + span.payloadAt, span.payloadSize))
                return false;
        }
        return true;
    }

    // The Exif thumbnail and any JFXX thumbnail; what could not be turned stays as it was, and the
    // reason is returned.
    std::string turnThumbnails() {
        std::string note;
        const JpegStreamTurner turner = embeddedPictureTurner(kind_, settings_, true);
        const Bytes thumbnail = thumbnailBytes();
        if (!thumbnail.empty()) {
            Bytes turned;
            std::string reason;
            if (!turner(thumbnail.data(), thumbnail.size(), &turned, &reason)) note = "the thumbnail cannot be turned: " + reason;
            else note = replaceThumbnail(turned);
        }
        std::string jfxxReason;
        auto isJfxx = [](const JpegSection& entry) { return isApp(entry, kApp0, isJfxxPayload); };
        auto turnJfxx = [&](Bytes* payload, std::string* reason) { return turnJfxxThumbnail(payload, kind_, turner, reason); };
        if (!editEntries(isJfxx, turnJfxx, &jfxxReason) && note.empty()) note = jfxxReason;
        return note;
    }

    // What the photo states about itself and the turn changed: the container lengths of turned
    // pictures, the orientation when it was turned upright, the pixel dimensions.
    bool editMetadata(std::string* reason) {
        auto isXmp = [](const JpegSection& entry) { return isApp(entry, kApp1, isXmpPayload); };
        if (!tail_.pictures.empty()) {
            auto lengths = [&](Bytes* payload, std::string* why) {
                return rewriteContainerLengths(payload, pass_.consumed, tail_.pictures, why);
            };
            if (!editEntries(isXmp, lengths, reason)) return false;
        }
        if (upright_) {
            if (!editEntries(isXmp, setXmpOrientationUpright, reason)) return false;
            JpegSection* exif = findExifSection();
            if (exif && !setOrientationUpright(exif->bytes, static_cast<std::size_t>(exif->byteCount))) {
                *reason = "its orientation tag cannot be set to upright";
                return false;
            }
        }
        statePixelDimensions();
        return true;
    }

    // Swapped with the axes; the picture's own size where trimming made it smaller. A value that
    // does not fit its type is left as it stands.
    void statePixelDimensions() {
        JpegSection* exif = findExifSection();
        std::uint32_t width = 0, height = 0;
        if (!exif) return;
        const std::size_t length = static_cast<std::size_t>(exif->byteCount);
        if (!readPixelDimensions(exif->bytes, length, &width, &height)) return;
        if (pass_.trimmed) {
            setPixelDimensions(exif->bytes, length, static_cast<std::uint32_t>(pass_.width),
                               static_cast<std::uint32_t>(pass_.height));
        } else if (swapsAxes(kind_)) {
            setPixelDimensions(exif->bytes, length, height, width);
        }
    }

    // The kept segments, the turned picture's tables, frame and scans, then the bytes after it;
    // the multi-picture index patched for where everything now lies.
    bool assemble(Bytes* file, std::string* reason) {
        if (readSectionsFromMemory(pass_.output.data(), pass_.output.size(), ReadImageData) != 1 ||
            writeSectionsToMemory(file) != 1) {
            *reason = "the turned picture cannot be read back";
            return false;
        }
        if (!tail_.pictures.empty() && !patchMpIndex(file->data(), file->size(), tail_, reason)) return false;
        file->insert(file->end(), tail_.bytes.begin(), tail_.bytes.end());
        return true;
    }

    const Bytes& source_;
    const TransformKind kind_;
    const bool upright_;
    const TurnSettings& settings_;
    CoefficientMemory memory_;
    CoefficientPassResult pass_;
    TrailingRegion tail_;
};

}  // namespace

TurnedPhoto turnPhoto(const std::vector<unsigned char>& source, TransformKind kind, bool upright,
                      const TurnSettings& settings) {
    return PhotoTurn(source, kind, upright, settings).run();
}

#include "workflow/further_picture_turn.h"

#include "jpegfile/xmp_edit.h"
#include "transform/turns.h"
#include "workflow/picture_turner.h"
#include "workflow/pixel_turn.h"
#include "workflow/turned_photo.h"

namespace {

constexpr int kBlockSize = 8;

std::string sizeReason(const FrameFacts& frame) {
    const int blockWidth = kBlockSize * frame.maxH(), blockHeight = kBlockSize * frame.maxV();
    return "its size, " + std::to_string(frame.width) + " x " + std::to_string(frame.height) +
           ", is no whole number of its " + std::to_string(blockWidth) + " x " + std::to_string(blockHeight) +
           " blocks along an edge the turn mirrors";
}

void addNote(std::string* notes, const std::string& name, const std::string& note) {
    if (note.empty()) return;
    *notes += (notes->empty() ? "" : "; ") + name + ": " + note;
}

}  // namespace

CoefficientPassResult turnFurtherPicturePass(const std::vector<unsigned char>& picture, const FrameFacts& frame,
                                             TransformKind kind, const TurnSettings& settings, CoefficientMemory* memory,
                                             std::string* why) {
    CoefficientPassResult pass = turnWholePicture(picture, kind, settings, memory);
    if (!pass.ok() || pass.exact) return pass;
    const std::size_t planeBytes = std::size_t(frame.width) * std::size_t(frame.height) * frame.components.size();
    pass = turnThroughPixels(picture.data(), picture.size(), kind, planeBytes, settings);
    if (pass.ok()) *why = sizeReason(frame);
    return pass;
}

JpegStreamTurner furtherPictureTurner(const std::vector<unsigned char>& source, TransformKind kind, int tagAfter,
                                      const TurnSettings& settings, FurtherResults* results) {
    return [&source, kind, tagAfter, &settings, results](const unsigned char* stream, std::size_t size,
                                                         std::vector<unsigned char>* turned, std::string* reason) {
        const std::vector<unsigned char> picture(stream, stream + size);
        Result<PhotoRecord> record = readPhotoRecord(picture.data(), picture.size(), "");
        if (!record.ok()) {
            *reason = record.refusal().text();
            return false;
        }
        TurnedPhoto done = turnFurtherPicture(picture, std::move(record.value()), kind, tagAfter, settings);
        if (!done.result.rotated()) {
            *reason = done.result.outcome == FileOutcome::Cancelled ? "cancelled" : refusalText(done.result);
            return false;
        }
        (*results)[static_cast<std::size_t>(stream - source.data())] = done.result;
        *turned = std::move(done.bytes);
        return true;
    };
}

std::vector<ContainerItem> containerItemsOf(const PhotoRecord& record, std::size_t firstPictureEnd) {
    std::vector<ContainerItem> items;
    for (const Segment& segment : record.segments) {
        if (!segment.is(SegmentKind::Xmp)) continue;
        const std::vector<ContainerItem> more =
            containerItems(std::vector<unsigned char>(segment.payload(), segment.payload() + segment.payloadSize()),
                           firstPictureEnd);
        items.insert(items.end(), more.begin(), more.end());
    }
    return items;
}

void noteFurtherResults(const FurtherResults& results, const std::vector<MovedPicture>& pictures, RotateResult* result) {
    for (const MovedPicture& picture : pictures) {
        const auto found = results.find(picture.sourceStart);
        if (found == results.end()) continue;
        addNote(&result->thumbnailNotTurned, "the thumbnail of " + picture.name, found->second.thumbnailNotTurned);
        addNote(&result->reencoded, picture.name, found->second.reencoded);
    }
}

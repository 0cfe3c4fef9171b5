// The pieces of a multi-picture photo on hostile input: the first MPF index of any bytes read and
// written back unchanged, the further pictures (of the index and of the XMP container directory)
// rebuilt behind the first picture and the index patched, the XMP container lengths, orientation,
// sizes and regions edited, a JFXX thumbnail turned. The first picture is taken to end behind the
// first EOI that follows its scan.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "jpegfile/further_pictures.h"
#include "jpegfile/jfxx_thumbnail.h"
#include "jpegfile/mpf_index.h"
#include "jpegfile/segment_walk.h"
#include "jpegfile/xmp_edit.h"

namespace {

using Bytes = std::vector<unsigned char>;

// A turner that changes the stream's size, as a real turn does, and refuses some streams.
bool fakeTurn(const unsigned char* stream, std::size_t size, Bytes* turned, std::string* reason) {
    if (size > 2 && stream[2] == 0x00) {
        *reason = "refused";
        return false;
    }
    turned->assign(stream, stream + size);
    turned->insert(turned->end(), size % 7, 0x5A);
    return true;
}

std::size_t firstPictureEnd(const Bytes& file) {
    std::vector<SegmentSpan> spans = segmentsBeforeScan(file.data(), file.size());
    std::size_t from = spans.empty() ? 0 : spans.back().payloadAt + spans.back().payloadSize;
    for (std::size_t at = from; at + 1 < file.size(); ++at)
        if (file[at] == 0xFF && file[at + 1] == 0xD9) return at + 2;
    return file.size();
}

void checkIndex(const unsigned char* payload, std::size_t size) {
    MpIndex index;
    std::string reason;
    if (!readMpIndex(payload, size, &index, &reason)) {
        if (reason.empty() || !index.entries.empty()) std::abort();
        return;
    }
    Bytes copy(payload, payload + size);
    for (const MpEntry& entry : index.entries)
        if (entry.sizeAt + 4 > size || entry.offsetAt + 4 > size) std::abort();
    if (!writeMpEntries(copy.data(), copy.size(), index) || !std::equal(copy.begin(), copy.end(), payload)) std::abort();
}

void editSegments(Bytes& first, std::size_t end, const std::vector<MovedPicture>& pictures) {
    for (const SegmentSpan& span : segmentsBeforeScan(first.data(), first.size())) {
        Bytes payload(first.begin() + long(span.payloadAt), first.begin() + long(span.payloadAt + span.payloadSize));
        std::string reason;
        if (span.markerCode == 0xE1 && isXmpPayload(payload.data(), payload.size())) {
            rewriteContainerLengths(&payload, end, pictures, &reason);
            setXmpOrientation(&payload, 1, &reason);
            const auto kind = static_cast<TransformKind>(payload.size() % 8);
            turnXmpSegment(&payload, pictureTurnOf(kind, int(end % 9), end % 2 == 0 ? 1 : 0, 64, 48, 8, 0), &reason);
            if (payload.size() > 65533) std::abort();
        } else if (span.markerCode == 0xE0 && isJfxxPayload(payload.data(), payload.size())) {
            turnJfxxThumbnail(&payload, static_cast<TransformKind>(payload.size() % 9), fakeTurn, &reason);
            if (payload.size() > 65533) std::abort();
        }
    }
}

// The pictures the XMP container directories of the first picture list behind it.
std::vector<ContainerItem> itemsOf(const Bytes& file, std::size_t end) {
    std::vector<ContainerItem> items;
    for (const SegmentSpan& xmp : segmentsBeforeScan(file.data(), file.size())) {
        const Bytes payload(file.begin() + long(xmp.payloadAt), file.begin() + long(xmp.payloadAt + xmp.payloadSize));
        const std::vector<ContainerItem> more = containerItems(payload, end);
        items.insert(items.end(), more.begin(), more.end());
    }
    return items;
}

// Rebuilds the bytes behind the first picture for the index (empty without one) and the container
// items, then edits and patches the first picture as a turn does.
void rebuild(const Bytes& file, const MpIndex& index, std::size_t base) {
    const std::size_t end = firstPictureEnd(file);
    TrailingRegion region;
    std::string reason;
    if (!rebuildTrailingRegion(file.data(), file.size(), end, index, base, fakeTurn, &region, &reason, itemsOf(file, end))) {
        if (!region.bytes.empty() || !region.pictures.empty()) std::abort();
        return;
    }
    Bytes first(file.begin(), file.begin() + long(end));
    editSegments(first, end, region.pictures);
    patchMpIndex(first.data(), first.size(), region, &reason);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes file(data, data + size);
    SegmentSpan span;
    if (!findMpfSegment(file.data(), file.size(), &span)) {
        checkIndex(file.data(), file.size());  // the bytes taken as a payload themselves
        editSegments(file, file.size(), {});
        rebuild(file, MpIndex{}, 0);
        return 0;
    }
    checkIndex(file.data() + span.payloadAt, span.payloadSize);
    MpIndex index;
    std::string reason;
    if (!readMpIndex(file.data() + span.payloadAt, span.payloadSize, &index, &reason)) return 0;
    rebuild(file, index, span.payloadAt + kMpBaseInPayload);
    return 0;
}

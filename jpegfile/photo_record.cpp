#include "jpegfile/photo_record.h"

#include <algorithm>
#include <cstring>

#include "exif/exif_block.h"
#include "jpegfile/markers.h"
#include "jpegfile/segment_walk.h"

const char* const kEndsBeforePicture = "the file ends before its picture";
const char* const kNoPictureData = "no image data: it ends before its first scan";

namespace {

constexpr std::size_t kMaxCommentEnd = 2000;
constexpr std::size_t kFrameHeaderSize = 8;  // length bytes, precision, height, width, component count
constexpr unsigned char kCarriageReturn = 0x0D, kLineFeed = 0x0A, kTab = 0x09;
constexpr std::size_t kMaxPayload = 0xFFFF - 2;

int bigEndian16(const unsigned char* bytes) { return (bytes[0] << 8) | bytes[1]; }

bool keptAsItIs(unsigned char byte) { return byte >= 0x20 || byte == kLineFeed || byte == kTab; }

// The COM segment's text (from byte 2 up to byte min(length, 2000)) into the record: CR LF
// becomes LF, bytes below 0x20 other than LF and TAB become '?'.
void storeComment(PhotoInfo& info, const std::vector<unsigned char>& bytes) {
    const std::size_t length = bytes.size(), end = std::min(length, kMaxCommentEnd);
    std::size_t used = 0;
    for (std::size_t i = 2; i < end; ++i) {
        const unsigned char byte = bytes[i];
        // Only a pair inside the segment counts, even one that straddles the cut at `end`.
        if (byte == kCarriageReturn && i + 1 < length && bytes[i + 1] == kLineFeed) continue;
        info.comments[used++] = keptAsItIs(byte) ? static_cast<char>(byte) : '?';
    }
    info.comments[used] = '\0';
}

// Height, width, colour (3 components) and process into the record; the components' sampling
// into the frame facts, as far as the segment holds them.
void storeFrameHeader(PhotoRecord& record, const Segment& segment) {
    const std::vector<unsigned char>& bytes = segment.bytes;
    if (bytes.size() < kFrameHeaderSize) return;
    record.info.height = bigEndian16(&bytes[3]);
    record.info.width = bigEndian16(&bytes[5]);
    record.info.isColor = bytes[7] == 3 ? 1 : 0;
    record.info.process = segment.marker;
    if (record.frame.marker != 0) return;
    FrameFacts& frame = record.frame;
    frame.marker = segment.marker;
    frame.precision = bytes[2];
    frame.height = record.info.height;
    frame.width = record.info.width;
    for (std::size_t c = 0, at = kFrameHeaderSize; c < bytes[7] && at + 3 <= bytes.size(); ++c, at += 3)
        frame.components.push_back({bytes[at], bytes[at + 1] >> 4, bytes[at + 1] & 0x0F, bytes[at + 2]});
}

void takeMultiPictureIndex(PhotoRecord& record, const Segment& segment) {
    MultiPictureFacts& further = record.further;
    if (further.present) return;
    further.present = true;
    further.base = segment.offset + 4 + kMpBaseInPayload;
    readMpIndex(segment.payload(), segment.payloadSize(), &further.index, &further.problem);
}

// A metadata segment: the first Exif block fills the record (a later one would describe bytes
// that are not the kept block's) and so does the first comment.
void takeMetadata(PhotoRecord& record, const Segment& segment, bool& commentSeen) {
    if (segment.is(SegmentKind::Exif) && record.exifSegment < 0) {
        record.exifSegment = static_cast<int>(record.segments.size());
        record.exifLayout = processExifBlock(segment.bytes.data(), static_cast<unsigned>(segment.bytes.size()),
                                             record.info, record.notes);
    }
    if (segment.marker == kCom && !commentSeen) {
        commentSeen = true;
        storeComment(record.info, segment.bytes);
    }
    if (segment.is(SegmentKind::Mpf)) takeMultiPictureIndex(record, segment);
}

// The walk over the bytes, one segment at a time.
class SegmentReader {
public:
    SegmentReader(const unsigned char* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

    // The code of the next marker, or -1 at the end of the bytes. The stray bytes before it (not
    // its fill bytes) go into `strays`.
    int markerCode(std::vector<unsigned char>* strays) {
        const MarkerAhead ahead = nextMarker(bytes_, size_, at_);
        strays->assign(bytes_ + at_, bytes_ + ahead.strayEnd);
        at_ = ahead.codeAt;
        return at_ < size_ ? bytes_[at_++] : -1;
    }

    // The segment behind `code`, its length field and payload, read whole; false (noted) when
    // its length makes no sense or the bytes end inside it.
    bool segment(int code, Segment* segment, ReaderNotes& notes) {
        segment->marker = code;
        segment->offset = at_ - 2;
        if (size_ - at_ < 2) return ranOut(notes, "invalid marker");
        const std::size_t length = static_cast<std::size_t>(bigEndian16(bytes_ + at_));
        if (length < 2) {
            notes.reportError("invalid marker");
            return false;
        }
        if (length > size_ - at_) {
            notes.reportError("Premature end of file?");
            return ranOut(notes, "invalid marker");
        }
        segment->bytes.assign(bytes_ + at_, bytes_ + at_ + length);
        segment->kind = segmentKind(code, segment->payload(), segment->payloadSize());
        at_ += length;
        return true;
    }

    bool ranOut(ReaderNotes& notes, const char* note) {
        notes.reportError(note);
        cutShort_ = true;
        return false;
    }

    std::size_t at() const { return at_; }
    bool cutShort() const { return cutShort_; }

private:
    const unsigned char* bytes_;
    std::size_t size_;
    std::size_t at_ = 2;  // behind SOI
    bool cutShort_ = false;
};

Refusal unreadable(const SegmentReader& reader, const ReaderNotes& notes) {
    if (reader.cutShort()) return refuse(RefusalReason::DamagedData, kEndsBeforePicture);
    return refuse(RefusalReason::UnreadableMetadata, notes.empty() ? "" : notes.last());
}

}  // namespace

int FrameFacts::maxH() const {
    int most = 1;
    for (const Component& c : components) most = std::max(most, c.h);
    return most;
}

int FrameFacts::maxV() const {
    int most = 1;
    for (const Component& c : components) most = std::max(most, c.v);
    return most;
}

bool Segment::setPayload(const std::vector<unsigned char>& payload) {
    if (payload.size() > kMaxPayload) return false;
    bytes.resize(2);
    bytes[0] = static_cast<unsigned char>((payload.size() + 2) >> 8);
    bytes[1] = static_cast<unsigned char>((payload.size() + 2) & 0xFF);
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return true;
}

Segment makeSegment(int marker, const unsigned char* payload, std::size_t size) {
    Segment segment;
    segment.marker = marker;
    segment.setPayload(std::vector<unsigned char>(payload, payload + size));
    segment.kind = segmentKind(marker, payload, size);
    return segment;
}

Result<PhotoRecord> readPhotoRecord(const unsigned char* bytes, std::size_t size, const std::string& path) {
    if (!startsWithSoi(bytes, size)) return refuse(RefusalReason::NotJpeg);
    PhotoRecord record;
    resetPhotoInfo(record.info, path.c_str());
    SegmentReader reader(bytes, size);
    bool commentSeen = false;
    for (;;) {
        if (record.segments.size() >= kMaxSegmentsBeforePicture)
            return refuse(RefusalReason::UnreadableMetadata,
                          "more than " + std::to_string(kMaxSegmentsBeforePicture) + " segments before its picture");
        std::vector<unsigned char>& strays =
            record.segments.empty() ? record.strayAfterSoi : record.segments.back().strayAfter;
        const int code = reader.markerCode(&strays);
        if (code < 0) {
            reader.ranOut(record.notes, "invalid marker");
            return unreadable(reader, record.notes);
        }
        Segment segment;
        if (!reader.segment(code, &segment, record.notes)) return unreadable(reader, record.notes);
        if (code == kEoi) return refuse(RefusalReason::UnreadableMetadata, kNoPictureData);
        if (isFrameMarker(code)) storeFrameHeader(record, segment);
        if (code == kDri && segment.payloadSize() >= 2 && record.restartInterval == 0)
            record.restartInterval = static_cast<unsigned>(bigEndian16(segment.payload()));
        if (isApplicationMarker(code)) takeMetadata(record, segment, commentSeen);
        record.segments.push_back(std::move(segment));
        if (code == kSos) break;
    }
    record.pictureDataAt = reader.at();
    return record;
}

std::string listTags(const PhotoRecord& record) {
    const Segment* exif = record.exif();
    if (!exif) return "";
    PhotoInfo info;
    resetPhotoInfo(info, "");
    ReaderNotes notes;
    std::string listing;
    processExifBlock(exif->bytes.data(), static_cast<unsigned>(exif->bytes.size()), info, notes, &listing);
    return listing;
}

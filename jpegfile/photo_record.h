#pragma once
// A photo's structure as a value: what one read of its bytes found up to the start of its picture
// data. The record owns everything it holds, so any number of records may exist at once, on any
// thread: the review holds one per photo, the turn edits its own copy and writes it back.

#include <cstddef>
#include <string>
#include <vector>

#include "exif/block_layout.h"
#include "exif/photo_info.h"
#include "exif/reader_notes.h"
#include "jpegfile/mpf_index.h"
#include "jpegfile/segment_kind.h"
#include "platform/refusal.h"

struct Segment {
    int marker = 0;                     // the code after 0xFF
    std::size_t offset = 0;             // where its 0xFF stood in the file (the byte before its code)
    SegmentKind kind = SegmentKind::NotApplication;
    std::vector<unsigned char> bytes;   // its two big-endian length bytes, then its payload
    std::vector<unsigned char> strayAfter;  // bytes between its end and the next marker, which
                                            // readers skip; written back where they stood

    bool is(SegmentKind wanted) const { return kind == wanted; }
    const unsigned char* payload() const { return bytes.data() + 2; }
    std::size_t payloadSize() const { return bytes.size() - 2; }
    // Replaces the payload and sets the length field; false, and nothing changed, when the
    // segment would exceed 65535 bytes.
    bool setPayload(const std::vector<unsigned char>& payload);
};

// A segment made for writing: its marker and payload, the length field made.
Segment makeSegment(int marker, const unsigned char* payload, std::size_t size);

// The frame header (SOFn) of the picture: its size and how its components are sampled.
struct FrameFacts {
    struct Component {
        int id = 0;
        int h = 1, v = 1;  // sampling factors
        int table = 0;     // quantization table
    };
    int marker = 0;  // SOFn; 0 when the picture has no frame header before its scan
    int precision = 0;
    int width = 0, height = 0;
    std::vector<Component> components;

    int maxH() const;
    int maxV() const;
};

// The multi-picture index of the first APP2 "MPF" segment, when the photo has one.
struct MultiPictureFacts {
    bool present = false;
    MpIndex index;             // valid when `problem` is empty
    std::string problem;       // why the index cannot be read; the photo is then refused on a turn
    std::size_t base = 0;      // where the index's offsets count from, in the file
};

struct PhotoRecord {
    std::vector<Segment> segments;  // every marker segment from behind SOI to the first SOS, in order
    std::vector<unsigned char> strayAfterSoi;  // stray bytes between SOI and the first marker
    std::size_t pictureDataAt = 0;  // behind the first SOS segment: the coded data begins here
    PhotoInfo info{};               // the Exif facts, the frame's size, the first comment
    int exifSegment = -1;           // the Exif block read (the first), or -1
    BlockLayout exifLayout;         // where everything of that block lies
    FrameFacts frame;
    unsigned restartInterval = 0;   // the first DRI before the first scan, in MCUs
    MultiPictureFacts further;
    ReaderNotes notes;              // what the readers refused or went past

    Segment* exif() { return exifSegment < 0 ? nullptr : &segments[static_cast<std::size_t>(exifSegment)]; }
    const Segment* exif() const { return exifSegment < 0 ? nullptr : &segments[static_cast<std::size_t>(exifSegment)]; }
};

// More segments than any photo carries before its picture: a hostile file is refused rather than
// held. Extended XMP and split ICC profiles stay far below it.
inline constexpr std::size_t kMaxSegmentsBeforePicture = 10000;

// The refusal's detail when the bytes end before the picture data: a header read of a beginning of
// the file then reads further.
extern const char* const kEndsBeforePicture;
extern const char* const kNoPictureData;  // and when its end comes before any picture data

// Reads the segments of `bytes` up to and including the first SOS into a record, with the Exif
// block (the first) parsed into `info` and `exifLayout`, the first comment and the frame header
// into `info`, and `info.fileName` set to `path`. Any number of 0xFF fill bytes may stand before a
// marker, and stray bytes that libjpeg skips (nextMarker of segment_walk.h) are kept in the
// record behind the segment they follow. Refused when the bytes are no JPEG stream (NotJpeg), end
// before the picture data (DamagedData: kEndsBeforePicture), or hold an end of image before it, a
// length that makes no sense or more segments than the bound (UnreadableMetadata, with the
// reader's last note). An Exif
// block that cannot be walked is noted in the layout (`walked`), not refused here: what the
// record is read for decides. `bytes` may be the whole file or any beginning of it that reaches
// the picture data.
Result<PhotoRecord> readPhotoRecord(const unsigned char* bytes, std::size_t size, const std::string& path);

// The Exif tags of the record's Exif block as the verbose listing shows them ("Exif section in
// Intel order", each directory's entries by name); empty when it has no Exif block.
std::string listTags(const PhotoRecord& record);

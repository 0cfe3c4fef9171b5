#pragma once
// The pictures a multi-picture index lists behind the first one, turned in place: the bytes after
// the first picture are rebuilt with each further picture replaced by its turned stream and every
// other byte (padding, a motion photo's video, a phone's trailer) kept in order; then the index in
// the finished first picture is given the new sizes and offsets.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jpegfile/jpeg_stream_turner.h"
#include "jpegfile/mpf_index.h"
#include "jpegfile/segment_walk.h"

struct MovedPicture {
    std::size_t entry = 0;        // its entry in the index, or its item in the XMP container directory
    std::size_t sourceStart = 0;  // where it began in the source file
    std::size_t sourceSize = 0;   // from its SOI to its own EOI
    std::size_t position = 0;     // where it begins in the rebuilt bytes
    std::size_t size = 0;         // its turned size
    std::size_t claimedBeyond = 0;  // bytes the index counts to it behind its EOI, kept as they stand
    bool indexed = true;            // listed by the index; else by the container directory alone
    std::string name = "";          // "picture 2 of the multi-picture index", "item 3 of the XMP container directory"
};

// An item of a photo's XMP container directory behind the primary, where the lengths of the items
// before it place it.
struct ContainerItem {
    std::size_t item = 0;     // in the directory; the primary is item 0
    std::string mime;         // its Item:Mime
    std::uint64_t start = 0;  // in the source file
    std::uint64_t length = 0;
};

struct TrailingRegion {
    std::vector<unsigned char> bytes;    // everything behind the first picture in the turned file
    std::vector<MovedPicture> pictures;  // the turned further pictures, in file order
};

// Rebuilds the bytes after the first picture (which ends at `firstPictureEnd` in `source`) for the
// index read from the first picture, whose base lies at `baseInSource`. An entry after the first
// whose offset is 0 lists no stored picture (0 is the first picture's own offset and can point at
// nothing behind it) and is left as it stands. Only a picture's own bytes, from its SOI to its EOI,
// are replaced: what the index counts to it behind its EOI (a motion photo's video, padding) stays
// byte for byte behind the turned picture. false with a reason, and the region empty, when a
// listed picture lies outside the file, inside the first picture or over another one, is not a
// JPEG picture (other data format, no SOI, no EOI within its span), or cannot be turned.
// The JPEG items of the container directory (Mime image/jpeg) that the index does not list are
// turned too (depth and gain maps of phones that write no index); one of another picture format
// refuses the photo, since it would stay unturned behind a turned one; other items (a video) stay
// as they stand.
bool rebuildTrailingRegion(const unsigned char* source, std::size_t sourceSize, std::size_t firstPictureEnd,
                           const MpIndex& index, std::size_t baseInSource, const JpegStreamTurner& turn,
                           TrailingRegion* region, std::string* reason, const std::vector<ContainerItem>& items = {});

// The first APP2 "MPF" segment of a stream, or false when it has none before its scan.
bool findMpfSegment(const unsigned char* jpeg, std::size_t size, SegmentSpan* span);

// Rewrites the index of the finished first picture in place: the first entry's size becomes the
// picture's size, each moved picture's entry its turned size (with the bytes it claimed behind its
// EOI) and its offset from the new base. Nothing to do when the region moved no indexed picture.
// false with a reason, and nothing changed, when the picture has no readable index, the index
// lacks an entry the region names, or a value exceeds 32 bits.
bool patchMpIndex(unsigned char* firstPicture, std::size_t size, const TrailingRegion& region, std::string* reason);

#pragma once
// Multi-picture test files made with the JPEG maker and the Exif builder: a primary picture with
// an APP2 "MPF" index, further pictures behind it (a gain map, a depth map), optionally an
// Ultra-HDR-like XMP container directory and a motion photo's video at the end.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "tests/support/exif_builder.h"
#include "tests/support/jpeg_maker.h"

namespace testsupport {

// One picture entry of an index: attribute, size, offset (from the index's byte-order mark).
using MpEntryValues = std::array<std::uint32_t, 3>;

// An APP2 "MPF" payload with the index directory listing `entries`.
struct MpfPayload {
    Bytes payload;
    std::size_t entriesAt = 0;  // where the first 16-byte entry lies in the payload
};
MpfPayload makeMpfPayload(ByteOrder order, const std::vector<MpEntryValues>& entries);

enum class ContainerForm { None, Attributes, Elements };  // how the XMP states the item values

struct FurtherPictureSpec {
    JpegSpec picture;
    std::uint32_t attribute = 0;  // 0: undefined type in JPEG format, as gain maps are listed
    std::string semantic = "GainMap";
    std::size_t gapBefore = 0;    // padding bytes between the previous item and this picture
};

struct MultiPictureSpec {
    ByteOrder order = ByteOrder::Intel;
    JpegSpec primary;  // its own markers follow the Exif, MPF and XMP segments
    int orientation = 1;  // the Orientation of the primary's Exif block
    std::vector<FurtherPictureSpec> further;
    ContainerForm container = ContainerForm::None;
    std::string containerPrefix = "Container";  // the prefixes the XMP binds the namespaces to
    std::string itemPrefix = "Item";
    Bytes video;  // non-empty: a motion photo's video right behind the last picture
};

struct MultiPicture {
    ByteOrder order = ByteOrder::Intel;
    Bytes file;
    std::size_t firstEnd = 0;   // behind the first picture's EOI
    std::size_t mpfBase = 0;    // the index's byte-order mark in the file
    std::size_t entriesAt = 0;  // the first index entry in the file
    std::vector<std::size_t> starts;  // each further picture's first byte in the file
    std::vector<Bytes> pictures;      // each further picture
    Bytes xmp;                        // the primary's XMP payload; empty without a container

    // Patches a 32-bit number of the index at `at` in the file, in the index's byte order.
    void put32(std::size_t at, std::uint32_t value);
};

MultiPicture makeMultiPicture(const MultiPictureSpec& recipe);

// A photo with a quarter-size gain map (Ultra-HDR-like), its container in `form`.
MultiPictureSpec ultraHdrSpec(ContainerForm form, ByteOrder order = ByteOrder::Intel);

// The XMP payload of a container directory: the primary, then one item per further picture (its
// length and the padding after it), then the video; `orientation` non-empty adds tiff:Orientation.
Bytes containerXmp(const MultiPictureSpec& recipe, const std::vector<std::size_t>& lengths,
                   const std::string& orientation = "6");

}  // namespace testsupport

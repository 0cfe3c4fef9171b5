#pragma once
// Edits of a photo's XMP (an APP1 segment "http://ns.adobe.com/xap/1.0/" and a zero byte, then
// the packet, or a sidecar file beside the photo) where turning the photo changes what it states:
// the length of a container item whose picture was turned, the orientation, the pixel
// dimensions and the face regions. Properties are found in the packet's top-level resources by
// the namespaces their prefixes are bound to (jpegfile/xmp_tree.h), in attribute or element form;
// text that merely looks like one (in a description, a comment, another resource) is no property.
// Only the values' own text is replaced. A packet that names none of the namespaces an edit looks
// at is left as it is, unread; one that names them but cannot be read refuses the edit.

#include <cstddef>
#include <string>
#include <vector>

#include "jpegfile/further_pictures.h"
#include "jpegfile/position_turn.h"

// Whether an APP1 payload (behind the length field) is an XMP packet.
bool isXmpPayload(const unsigned char* payload, std::size_t size);

// Gives each item of the container directory whose data is a turned picture that picture's new
// size as its length. Items are placed as they follow the first picture (which ends at
// `firstPictureEnd` in the source) in order, each its length long and followed by its padding.
// false with a reason, and the payload unchanged, when it is no XMP packet, cannot be read, an
// item's data overlaps a turned picture without being it, or the segment would exceed 65535 bytes.
bool rewriteContainerLengths(std::vector<unsigned char>* payload, std::size_t firstPictureEnd,
                             const std::vector<MovedPicture>& pictures, std::string* reason);

// The items behind the primary of the packet's container directories, placed as they follow the
// first picture (which ends at `firstPictureEnd`): each its length long and followed by its
// padding. The items behind one without a length cannot be placed and are left out; so is
// everything of a payload that is no XMP packet.
std::vector<ContainerItem> containerItems(const std::vector<unsigned char>& payload, std::size_t firstPictureEnd);

// What the turn changes in a packet: with `turn.tagAfter` every tiff:Orientation says it; the
// face regions follow the picture as shown (jpegfile/xmp_regions.h); exif:PixelXDimension and
// exif:PixelYDimension, tiff:ImageWidth and tiff:ImageLength state the stored picture's new
// size. false with a reason, and the packet unchanged, when it cannot be read or a value cannot
// be rewritten soundly.
bool turnXmpPacket(std::string* packet, const PictureTurn& turn, std::string* reason);

// The same for an XMP segment's payload, which must keep within 65535 bytes.
bool turnXmpSegment(std::vector<unsigned char>* payload, const PictureTurn& turn, std::string* reason);

// Sets every tiff:Orientation value of the segment's packet to `value` (1 for upright) and changes
// nothing else.
bool setXmpOrientation(std::vector<unsigned char>* payload, int value, std::string* reason);

// The orientation the packet states (its top-level tiff:Orientation, 1 to 8); 0 for none, for a
// value outside 1 to 8 and for a packet that cannot be read.
int xmpOrientation(const std::string& packet);
// The packet of an XMP segment's payload; "" for a payload that is none.
std::string xmpPacketOf(const unsigned char* payload, std::size_t size);

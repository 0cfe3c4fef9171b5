#pragma once
// Edits of a photo's XMP packet (APP1 "http://ns.adobe.com/xap/1.0/" and a zero byte, then the
// packet) where turning the photo changes what it states: the length of a container item whose
// picture was turned, and the orientation. The namespaces are found by their names, whatever
// prefixes the packet binds them to; values may stand as attributes or as elements.

#include <cstddef>
#include <string>
#include <vector>

#include "jpegfile/further_pictures.h"

// Whether an APP1 payload (behind the length field) is an XMP packet.
bool isXmpPayload(const unsigned char* payload, std::size_t size);

// Gives each item of the container directory whose data is a turned picture that picture's new
// size as its length. Items are placed as they follow the first picture (which ends at
// `firstPictureEnd` in the source) in order, each its length long and followed by its padding.
// false with a reason, and the payload unchanged, when it is no XMP packet, an item's data
// overlaps a turned picture without being it, or the segment would exceed 65535 bytes.
bool rewriteContainerLengths(std::vector<unsigned char>* payload, std::size_t firstPictureEnd,
                             const std::vector<MovedPicture>& pictures, std::string* reason);

// The items behind the primary of the packet's container directories, placed as they follow the
// first picture (which ends at `firstPictureEnd`): each its length long and followed by its
// padding. The items behind one without a length cannot be placed and are left out; so is
// everything of a payload that is no XMP packet.
std::vector<ContainerItem> containerItems(const std::vector<unsigned char>& payload, std::size_t firstPictureEnd);

// Sets every tiff:Orientation value of the packet to `value` (1 for upright). false with a reason,
// and the payload unchanged, when it is no XMP packet or the segment would exceed 65535 bytes.
bool setXmpOrientation(std::vector<unsigned char>* payload, int value, std::string* reason);


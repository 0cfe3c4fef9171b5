#pragma once
// The thumbnail that Photoshop keeps among its image resources (APP13 "Photoshop 3.0", a zero
// byte, then blocks of "8BIM", a 2-byte id, a padded Pascal name, a 4-byte size and the data
// padded to even): resource 0x040C, and 0x0409 of older versions, whose pixels are BGR. Its data
// is a 28-byte header (format, 1 for JPEG; width, height, bytes a row, total size, compressed
// size; bits a pixel; planes) and a JPEG stream. Pure functions on the segment's payload.

#include <cstddef>
#include <string>
#include <vector>

#include "jpegfile/jpeg_stream_turner.h"

// Whether an APP13 payload (behind the length field) holds Photoshop image resources.
bool isPhotoshopPayload(const unsigned char* payload, std::size_t size);

// Turns every thumbnail resource's JPEG through `turnJpeg` (channel order does not matter to a
// coefficient turn, so 0x0409 turns as 0x040C does); its header states the turned size. Every
// other resource stays byte for byte. true also when there is none; false with a reason, the
// payload unchanged, when one is cut short or continues in another segment, is not a JPEG, cannot
// be turned, or the segment would exceed 65535 bytes.
bool turnPhotoshopThumbnails(std::vector<unsigned char>* payload, const JpegStreamTurner& turnJpeg, std::string* reason);

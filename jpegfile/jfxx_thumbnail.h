#pragma once
// The thumbnail of a JFXX APP0 segment ("JFXX", a zero byte, an extension code), turned with the
// photo: a JPEG thumbnail (0x10) through the caller's turner, a palette one (0x11: width, height,
// 768 palette bytes, one byte per pixel) or an RGB one (0x13: width, height, three bytes per
// pixel) by moving its pixels. Pure functions on the segment's payload.

#include <cstddef>
#include <string>
#include <vector>

#include "jpegfile/jpeg_stream_turner.h"
#include "transform/transform_setup.h"

// Whether an APP0 payload (behind the length field) is a JFXX extension with its code.
bool isJfxxPayload(const unsigned char* payload, std::size_t size);

// Turns the payload's thumbnail by `kind` (codes outside the enumeration act as None). Bytes
// behind a raw thumbnail's pixels stay behind them. false with a reason, and the payload
// unchanged, when it is cut short, its extension code is unknown, the turner fails, or the
// segment would exceed 65535 bytes.
bool turnJfxxThumbnail(std::vector<unsigned char>* payload, TransformKind kind, const JpegStreamTurner& turnJpeg,
                       std::string* reason);

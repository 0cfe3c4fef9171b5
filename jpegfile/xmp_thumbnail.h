#pragma once
// The thumbnail an XMP packet may carry: xmp:Thumbnails, an alternative of items each with
// xmpGImg:width, xmpGImg:height, xmpGImg:format and xmpGImg:image, a JPEG stream in base64
// (namespace http://ns.adobe.com/xap/1.0/g/img/), written as attributes or as elements. A pure
// function on the XMP segment's payload.

#include <string>
#include <vector>

#include "jpegfile/jpeg_stream_turner.h"

// Turns every thumbnail of the packet through `turnJpeg`: its image becomes the turned stream in
// base64 (one line), its width and height the turned picture's. true also when there is none;
// false with a reason, the payload unchanged, when one is no base64, cannot be turned, or the
// segment would exceed 65535 bytes.
bool turnXmpThumbnails(std::vector<unsigned char>* payload, const JpegStreamTurner& turnJpeg, std::string* reason);

#pragma once
// A minimal walk over a JPEG file's segments up to the start of scan, for pivora-cli --info:
// the frame values and the first comment into photoInfo, the first Exif APP1 segment to the
// Exif reader. (The section container in jpegfile/ does this too and may take its place.)

#include <string>

// photoInfo must be reset by the caller. Returns true when the walk reached the start of scan;
// false with `error` set when the file cannot be read, is no JPEG or ends early.
bool readJpegMetadata(const std::string& path, std::string* error);

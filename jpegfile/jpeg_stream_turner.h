#pragma once
// The caller's way of turning one whole JPEG stream held in memory (a further picture of a
// multi-picture file, a JFXX thumbnail), so that the pieces of a photo turn as its main image does.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Puts the turned stream into `turned`; false with a reason when the stream cannot be turned.
using JpegStreamTurner = std::function<bool(const unsigned char* stream, std::size_t size,
                                            std::vector<unsigned char>* turned, std::string* reason)>;

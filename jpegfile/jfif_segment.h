#pragma once
// What a JFIF APP0 segment ("JFIF", a zero byte, version, density unit, X and Y density, then a
// tiny RGB thumbnail: width, height, three bytes per pixel) states about the picture, turned with
// it. Pure functions on the segment's payload.

#include <cstddef>
#include <string>
#include <vector>

#include "transform/transform_setup.h"

// Whether an APP0 payload (behind the length field) is a JFIF header with its density.
bool isJfifPayload(const unsigned char* payload, std::size_t size);

// The X and Y density change places when the turn exchanges the axes: pixels that are not square
// keep their shape on the turned picture. Nothing changes for any other payload.
void swapJfifDensity(std::vector<unsigned char>* payload, TransformKind kind);

// Turns the RGB thumbnail by moving its pixels; bytes behind them stay. true also when it has none
// (0 x 0, or a header that ends before the thumbnail's size); false with a reason, the payload
// unchanged, when its pixels are cut short.
bool turnJfifThumbnail(std::vector<unsigned char>* payload, TransformKind kind, std::string* reason);

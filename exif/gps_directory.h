#pragma once
// The GPS directory of an Exif block: latitude, longitude and altitude as short texts in the
// photo's record (gpsLat, gpsLong, gpsAlt). A leaf: it links to nothing.

#include <cstdint>

#include "exif/exif_walk.h"

// `offset` (counted from the TIFF header) lies inside the block or at its end. Sets
// gpsInfoPresent, then fills the texts from the entries it can read.
void processGpsDirectory(ExifWalk& walk, std::uint64_t offset);

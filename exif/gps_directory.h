#pragma once
// The GPS directory of an Exif block: latitude, longitude and altitude as short texts in
// PhotoInfo (gpsLat, gpsLong, gpsAlt). A leaf: it links to nothing.

// `start` lies inside [base, base + length]; `base` is the TIFF header start, `length` the TIFF
// length. Sets gpsInfoPresent, then fills the texts from the entries it can read.
void processGpsDirectory(const unsigned char* start, const unsigned char* base, unsigned length);

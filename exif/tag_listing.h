#pragma once
// The verbose listing of an Exif block's entries, as text: made only when a listing is asked for.

#include <string>

#include "exif/byte_order.h"

struct DirectoryEntry;

// printf into the listing; nothing when there is none.
void appendListing(std::string* listing, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The value's components by format, at most 16 (then "..."), separated by ", ". Stops when fewer
// bytes than one component remain, so an empty value gives nothing.
void listValues(std::string& listing, const void* value, int format, int byteCount, TiffByteOrder order);

// Four spaces per nesting level.
const char* listingIndent(int level);

// One entry line of an Exif or IFD directory, and of the GPS directory.
void listExifEntry(std::string& listing, int level, const DirectoryEntry& entry, TiffByteOrder order);
void listGpsEntry(std::string& listing, const DirectoryEntry& entry, TiffByteOrder order);

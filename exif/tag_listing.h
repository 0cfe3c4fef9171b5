#pragma once
// The verbose listing of Exif entries on standard output, printed only while listTags is set.

struct DirectoryEntry;

// Prints the value's components by format, at most 16 (then "..."), separated by ", ". Stops
// when fewer bytes than one component remain, so an empty value prints nothing.
void printValueList(const void* value, int format, int byteCount);

// Four spaces per nesting level.
const char* listingIndent(int level);

// One entry line of an Exif or IFD directory, and of the GPS directory.
void listExifEntry(int level, const DirectoryEntry& entry);
void listGpsEntry(const DirectoryEntry& entry);

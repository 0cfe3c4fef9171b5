#pragma once
// One JPEG file held in memory as the list of its marker segments, in file order, so that the
// Exif and comment segments of a photograph can be kept and written back in front of the image
// data of its transformed copy. One table for the whole program: one file at a time.

#include <cstdint>
#include <cstdio>

inline constexpr int kMaxSections = 100;
// Marker code of the entry that holds everything after the start of scan.
inline constexpr int ImageDataMarker = 0x123;

// Read-mode bits of loadJpegFile / readSectionsFromStream.
inline constexpr int ReadMetadata = 1;   // parse and keep the Exif APP1 and the first COM
inline constexpr int ReadImageData = 2;  // read everything after SOS into one last entry

struct JpegSection {
    unsigned char* bytes;     // owned: the two big-endian length bytes, then the payload
    std::int32_t markerCode;  // the code after 0xFF, or ImageDataMarker
    std::int32_t byteCount;   // bytes in `bytes`; equals the length field for a marker segment
};

struct SectionTable {
    JpegSection entries[kMaxSections];
    std::int32_t count;            // entries 0..count-1 are in use
    std::int32_t imageDataLoaded;  // non-zero once the last entry holds the image data
};

// One table per thread: each worker of a folder run holds its own file.
extern thread_local SectionTable sectionTable;

// Forgets every entry without freeing anything (the start of a file's processing).
void clearSectionTable();

// Opens `path`, appends its segments to the table (readSectionsFromStream) and closes it.
// 1 read; 0 failed: "can't open" (table untouched) or not a JPEG / no image (table released).
int loadJpegFile(const char* path, int mode);

// Appends the segments of an open stream positioned at its start. 1 read up to SOS (and the
// image data with ReadImageData); 0 not a JPEG, no image, or a segment the table cannot hold.
int readSectionsFromStream(FILE* file, int mode);

// Leaves only the first APP1 entry and then the first COM entry; frees all others.
void keepExifAndComment();

// The first entry with that marker code, or nullptr.
JpegSection* findSectionByMarker(int markerCode);

// The first APP1 entry whose payload begins with "Exif", or nullptr.
JpegSection* findExifSection();

// The JFIF APP0 segment (marker included) written when the first entry is neither APP0 nor APP1.
inline constexpr int kJfifHeaderSize = 18;
extern const unsigned char kJfifHeader[kJfifHeaderSize];

// Writes the table as a complete JPEG file to an open stream (SOI, JFIF header when needed,
// segments, image data). 1 every byte written and flushed; 0 image data not read or a write failed.
int writeSectionsToStream(FILE* file);

// Replaces the file at `path` by the table, keeping its permission bits: a temporary file in
// the same folder is written, synced and renamed onto the path. 1 complete; 0 otherwise, and
// then the file at the path is as it was and no temporary file is left.
int writeSectionsToFile(const char* path);

// Frees every entry, empties the table and zeroes photoInfo.
void releaseSections();

#pragma once
// One JPEG file held in memory as the list of its marker segments, in file order, so that the
// application segments and comments of a photograph can be kept and written back in front of the
// image data of its transformed copy. One table per thread: one file at a time.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

inline constexpr int kMaxSections = 100;
// Marker code of the entry that holds everything after the start of scan.
inline constexpr int ImageDataMarker = 0x123;

// Read-mode bits of loadJpegFile / readSectionsFromStream.
inline constexpr int ReadMetadata = 1;   // keep every APPn and COM; parse the first Exif APP1 and COM
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
// image data with ReadImageData); 0 not a JPEG, no image, or more segments than the table holds.
// Any number of 0xFF fill bytes may stand before a marker.
int readSectionsFromStream(FILE* file, int mode);

// The same read over `size` bytes in memory, with the same results.
int readSectionsFromMemory(const unsigned char* data, std::size_t size, int mode);

// Leaves the JFIF APP0 when there is no Exif APP1, the first Exif APP1 and the first COM entry,
// in this order; frees all others. Without an Exif block the photo keeps its own JFIF header,
// since the write-back supplies none.
void keepExifAndComment();

// Leaves every APPn and COM entry in file order and frees all others (the image data included).
// A JFIF APP0 goes when an Exif APP1 is there: the Exif block then stands first.
void keepApplicationSegments();

// The first entry with that marker code, or nullptr.
JpegSection* findSectionByMarker(int markerCode);

// The first APP1 entry whose payload begins with "Exif", or nullptr.
JpegSection* findExifSection();

// Whether an entry is an APP0 segment whose payload begins with "JFIF" and a zero byte.
bool isJfifSection(const JpegSection& entry);

// Replaces an entry's payload (the bytes behind its length field) and sets the length field.
// 1 done; 0 the segment would exceed 65535 bytes, the entry is the image data, or there is no
// memory: then the entry is unchanged.
int replaceSectionPayload(JpegSection* entry, const unsigned char* payload, std::size_t size);

// Appends a marker segment with `payload` behind the entries (its length field made). 1 done; 0
// the table is full, holds the image data already, or the segment would exceed 65535 bytes.
int appendSection(int markerCode, const unsigned char* payload, std::size_t size);

// Writes the table as a complete JPEG file to an open stream: SOI, the entries as they stand,
// the image data. 1 every byte written and flushed; 0 image data not read or a write failed.
int writeSectionsToStream(FILE* file);

// The same file into `out` (replacing its content). 1 written; 0 image data not read.
int writeSectionsToMemory(std::vector<unsigned char>* out);

// Replaces the file at `path` by the table, keeping its permission bits: a temporary file in
// the same folder is written, synced and renamed onto the path. 1 complete; 0 otherwise, and
// then the file at the path is as it was and no temporary file is left.
int writeSectionsToFile(const char* path);

// Frees every entry, empties the table and zeroes photoInfo.
void releaseSections();

#pragma once
// Internal to the Exif reader: the walk of one block, which fills the photo's record, the block's
// layout and the reader's notes, and (when asked) the verbose listing. Everything one walk needs
// lives in this value: walks of different photos on different threads share nothing.

#include <cstdint>
#include <string>

#include "exif/block_layout.h"
#include "exif/directory_entry.h"
#include "exif/photo_info.h"
#include "exif/reader_notes.h"

struct ExifWalk {
    TiffBlock block;
    PhotoInfo& info;
    BlockLayout& layout;
    ReaderNotes& notes;
    std::string* listing = nullptr;  // the verbose listing, when asked for

    // State of this block's walk.
    bool orientationSeen = false;     // an Orientation entry of IFD0 was taken already
    double focalPlaneXRes = 0;        // FocalPlaneXResolution
    double focalPlaneUnits = 0;       // millimetres per focal-plane resolution unit
    std::int32_t exifImageWidth = 0;  // larger of ExifImageWidth and ExifImageLength

    void report(const char* format, int first = 0, int second = 0) { notes.reportError(format, first, second); }
};

// Walks the directory at `offset` and what it links to. false when the directory could not be
// read (nesting, size, work bounds); true also for one walked before.
bool walkExifDirectory(ExifWalk& walk, std::uint64_t offset, int level);

// The layout's bookkeeping. Each directory offset is walked at most once, and the entries of all
// directories together are bounded by what a block of that length can hold without overlapping
// directories (twice over). Both report when they refuse; a refusal other than a repeat leaves the
// layout incomplete.
enum class DirectoryClaim { First, Repeat, Refused };
DirectoryClaim claimDirectory(ExifWalk& walk, std::uint32_t offset);
bool chargeEntries(ExifWalk& walk, unsigned entries);

// The budget of a fresh walk of `tiffLength` bytes of TIFF data, with its header noted.
void beginLayout(BlockLayout& layout, std::uint32_t tiffLength);
// A directory read in full: its count, its entries and its link (as far as the block reaches).
void noteDirectory(ExifWalk& walk, std::uint32_t offset, unsigned entries);
// A directory that is named but cannot be read: the layout is incomplete, and its first bytes count.
void noteUnreadDirectory(ExifWalk& walk, std::uint64_t offset);
// An entry's value that lies outside the entry, wherever it points.
void noteEntryValue(ExifWalk& walk, const DirectoryEntry& entry);
// The thumbnail that the walk keeps, and the Exif entries that a turn may rewrite (`level` 0: IFD0).
void noteThumbnail(ExifWalk& walk, std::uint32_t offset, std::uint32_t size, std::int64_t lengthEntry);
void noteRewritableEntry(ExifWalk& walk, const DirectoryEntry& entry, int level);
// After the walk: where a new thumbnail may go, into the layout and into the photo's record.
void decideThumbnailPlace(ExifWalk& walk);

#pragma once
// The switches of a run, named after the settings values that persist them, and how each photo
// is turned.

#include <cstdint>
#include <functional>

#include "transform/transform_setup.h"
#include "workflow/run_context.h"

struct ProcessingOptions {
    std::int32_t Backup = 0;         // keep the untouched file under its name with ".bak" appended
    std::int32_t bSubfolders = 0;    // folder runs descend into subfolders
    std::int32_t EXIFTimestamp = 0;  // set the file times from the Exif date
    std::int32_t AutoOrient = 0;     // turn each photo by its Exif Orientation instead of the fixed turn
    std::int32_t TrashOriginal = 0;  // keep the untouched file in the user's Trash, where a file manager can restore it
    // Folder runs take hidden files and walk hidden folders (names starting with "."), which
    // are otherwise left to the programs that keep them there. Asked for per run, never stored.
    std::int32_t includeHidden = 0;
    // Refuse, untouched, a photo whose turn would drop an edge strip (its width or height not a
    // whole number of blocks along an edge the turn moves), instead of turning the rest exactly.
    std::int32_t RefuseEdgeStrip = 0;
};

// How each photo is turned. The defaults are the program's own: a quarter turn counter-clockwise.
struct TurnSettings {
    TransformKind kind = TransformKind::Rotate270;  // the turn of every photo unless AutoOrient is set
    bool optimize = false;  // always compute optimized Huffman tables
    RunContext run;  // the cancel flag and the memory of the run the photo belongs to
    // For tests: runs after the turned file is written, just before it replaces the photo.
    std::function<void()> beforeReplace;
};

#pragma once
// The three switches of a run, named after the settings values that persist them.

#include <cstdint>

struct ProcessingOptions {
    std::int32_t Backup = 0;         // keep the untouched file under its name with ".bak" appended
    std::int32_t bSubfolders = 0;    // folder runs descend into subfolders
    std::int32_t EXIFTimestamp = 0;  // set the file times from the Exif date
};

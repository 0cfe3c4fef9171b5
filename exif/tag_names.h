#pragma once
// The Exif reader's vocabulary: tag names, Orientation transform names, JPEG process names and
// GPS tag names. Shown only by the verbose listing and by pivora-cli --info.

#include <cstdint>

struct TagName {
    std::uint16_t tag;
    const char* name;
};

struct ProcessName {
    int marker;  // SOFn marker code
    const char* name;
};

inline constexpr int kTagNameCount = 98;
extern const TagName kTagNames[kTagNameCount];
extern const char* const kOrientationNames[9];  // the transform that corrects Orientation 0..8
inline constexpr int kProcessNameCount = 13;
extern const ProcessName kProcessNames[kProcessNameCount];
inline constexpr int kGpsTagNameCount = 31;
extern const char* const kGpsTagNames[kGpsTagNameCount];  // GPS tags 0..30, padded to 16 characters

// The first row's name for `tag`, or nullptr when the table has none.
const char* tagName(unsigned tag);
// The process name of a SOFn marker code, or nullptr.
const char* processName(int marker);

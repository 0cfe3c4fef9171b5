#pragma once
// Exif numbers in the byte order of their block, and the conversion of a tag value of any TIFF
// format to a number.

#include <cstdint>

class ReaderNotes;

// The order of a block's multi-byte values, as its TIFF header states it.
struct TiffByteOrder {
    bool motorola = false;  // true: big-endian ("MM"); false: little-endian ("II")

    unsigned readU16(const void* at) const;  // 0..65535
    std::int32_t readS32(const void* at) const;
    std::uint32_t readU32(const void* at) const;
    void writeU16(void* at, unsigned value) const;  // the low 16 bits
    void writeU32(void* at, std::uint32_t value) const;
};

// Bytes per component, indexed by TIFF format code 1..12 (BYTE .. DOUBLE); 0 for code 0.
inline constexpr int kBytesPerFormat[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
inline constexpr int kFormatByte = 1, kFormatAscii = 2, kFormatShort = 3, kFormatLong = 4,
                     kFormatRational = 5, kFormatSByte = 6, kFormatUndefined = 7, kFormatSShort = 8,
                     kFormatSLong = 9, kFormatSRational = 10, kFormatFloat = 11, kFormatDouble = 12;

// The value's first component as a number; rationals with a zero denominator give 0. FLOAT and
// DOUBLE are taken in the machine's own order. ASCII, UNDEFINED and unknown codes are reported
// to `notes` (when given) as "Illegal format code %d" and give 0. Reads kBytesPerFormat[format]
// bytes (8 for rationals).
double valueAsDouble(const void* value, int format, TiffByteOrder order, ReaderNotes* notes = nullptr);

// A number truncated toward zero to 32 bits; NaN gives 0, values out of range the nearest limit.
std::int32_t truncateToInt32(double value);

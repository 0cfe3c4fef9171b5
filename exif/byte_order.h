#pragma once
// Exif numbers in the byte order of the most recently parsed Exif block, and the conversion of
// a tag value of any TIFF format to a number.

#include <cstdint>

// 1: multi-byte values are big-endian ("MM"); 0: little-endian ("II"). Set by processExifBlock
// and kept afterwards, so that the thumbnail length can be rewritten in the block's own order.
extern thread_local int motorolaOrder;

// Bytes per component, indexed by TIFF format code 1..12 (BYTE .. DOUBLE); 0 for code 0.
inline constexpr int kBytesPerFormat[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
inline constexpr int kFormatByte = 1, kFormatAscii = 2, kFormatShort = 3, kFormatLong = 4,
                     kFormatRational = 5, kFormatSByte = 6, kFormatUndefined = 7, kFormatSShort = 8,
                     kFormatSLong = 9, kFormatSRational = 10, kFormatFloat = 11, kFormatDouble = 12;

unsigned readU16(const void* at);                // 0..65535
std::int32_t readS32(const void* at);
std::uint32_t readU32(const void* at);
void writeU16(void* at, unsigned value);  // the low 16 bits
void writeU32(void* at, std::uint32_t value);

// Sets motorolaOrder for its lifetime and restores it after: the edits of a block that was read
// earlier use that block's own order, whatever was read since.
class ByteOrderScope {
public:
    explicit ByteOrderScope(int order) : saved_(motorolaOrder) { motorolaOrder = order; }
    ~ByteOrderScope() { motorolaOrder = saved_; }
    ByteOrderScope(const ByteOrderScope&) = delete;
    ByteOrderScope& operator=(const ByteOrderScope&) = delete;

private:
    int saved_;
};

// The value's first component as a number; rationals with a zero denominator give 0. FLOAT and
// DOUBLE are taken in the machine's own order. ASCII, UNDEFINED and unknown codes are reported
// ("Illegal format code %d") and give 0. Reads kBytesPerFormat[format] bytes (8 for rationals).
double valueAsDouble(const void* value, int format);

// A number truncated toward zero to 32 bits; NaN gives 0, values out of range the nearest limit.
std::int32_t truncateToInt32(double value);

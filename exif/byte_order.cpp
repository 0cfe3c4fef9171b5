#include "exif/byte_order.h"

#include <cmath>
#include <cstring>

#include "exif/reader_notes.h"

namespace {

const unsigned char* bytesAt(const void* at) { return static_cast<const unsigned char*>(at); }

}  // namespace

unsigned TiffByteOrder::readU16(const void* at) const {
    const unsigned char* b = bytesAt(at);
    return motorola ? (b[0] << 8) | b[1] : (b[1] << 8) | b[0];
}

std::uint32_t TiffByteOrder::readU32(const void* at) const {
    const unsigned char* b = bytesAt(at);
    if (motorola)
        return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) | b[3];
    return (std::uint32_t{b[3]} << 24) | (std::uint32_t{b[2]} << 16) | (std::uint32_t{b[1]} << 8) | b[0];
}

std::int32_t TiffByteOrder::readS32(const void* at) const { return static_cast<std::int32_t>(readU32(at)); }

void TiffByteOrder::writeU16(void* at, unsigned value) const {
    unsigned char* b = static_cast<unsigned char*>(at);
    b[motorola ? 0 : 1] = static_cast<unsigned char>(value >> 8);
    b[motorola ? 1 : 0] = static_cast<unsigned char>(value);
}

void TiffByteOrder::writeU32(void* at, std::uint32_t value) const {
    unsigned char* b = static_cast<unsigned char*>(at);
    for (int i = 0; i < 4; ++i) {
        int shift = motorola ? 8 * (3 - i) : 8 * i;
        b[i] = static_cast<unsigned char>(value >> shift);
    }
}

double valueAsDouble(const void* value, int format, TiffByteOrder order, ReaderNotes* notes) {
    const unsigned char* b = bytesAt(value);
    switch (format) {
    case kFormatByte: return b[0];
    case kFormatSByte: return static_cast<signed char>(b[0]);
    case kFormatShort: return order.readU16(b);
    case kFormatSShort: return static_cast<std::int16_t>(order.readU16(b));
    case kFormatLong: return order.readU32(b);
    case kFormatSLong: return order.readS32(b);
    case kFormatRational:
    case kFormatSRational: {
        std::int32_t numerator = order.readS32(b);
        std::int32_t denominator = order.readS32(b + 4);
        return denominator == 0 ? 0.0 : static_cast<double>(numerator) / denominator;
    }
    case kFormatFloat: {
        float number;
        std::memcpy(&number, b, sizeof number);
        return number;
    }
    case kFormatDouble: {
        double number;
        std::memcpy(&number, b, sizeof number);
        return number;
    }
    default:
        if (notes) notes->reportError("Illegal format code %d", format);
        return 0;
    }
}

std::int32_t truncateToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

#include "exif/tag_listing.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "exif/directory_entry.h"
#include "exif/tag_names.h"

namespace {

constexpr int kMaxListedComponents = 16;

void appendComponent(std::string& out, const unsigned char* at, int format, TiffByteOrder order) {
    switch (format) {
    case kFormatByte:
    case kFormatSByte: appendListing(&out, "%02x", at[0]); break;
    case kFormatShort: appendListing(&out, "%d", static_cast<int>(order.readU16(at))); break;
    case kFormatSShort: appendListing(&out, "%hd", static_cast<short>(order.readU16(at))); break;
    case kFormatLong:
    case kFormatSLong: appendListing(&out, "%d", static_cast<int>(order.readS32(at))); break;
    case kFormatRational:
    case kFormatSRational:
        appendListing(&out, "%d/%d", static_cast<int>(order.readS32(at)), static_cast<int>(order.readS32(at + 4)));
        break;
    default: appendListing(&out, "%f", valueAsDouble(at, format, order)); break;  // FLOAT and DOUBLE
    }
}

// Text values between double quotes: a run of control bytes shows as one "?", except a run
// that starts at the value's last byte (its terminating zero), which shows nothing.
void appendQuotedText(std::string& out, const unsigned char* value, std::uint32_t byteCount) {
    out += '"';
    bool inControlRun = false;
    for (std::uint32_t i = 0; i < byteCount; ++i) {
        if (value[i] >= 0x20) {
            out += static_cast<char>(value[i]);
            inControlRun = false;
        } else if (!inControlRun) {
            if (i + 1 < byteCount) out += '?';
            inControlRun = true;
        }
    }
    out += "\"\n";
}

// BYTE values of more than one byte as 16-bit characters (little-endian, as Windows tools
// write them), up to the first zero; anything outside ASCII shows as "?".
void appendWideText(std::string& out, const unsigned char* value, std::uint32_t byteCount) {
    for (std::uint32_t i = 0; i + 1 < byteCount; i += 2) {
        unsigned unit = value[i] | (value[i + 1] << 8);
        if (unit == 0) break;
        out += unit >= 0x20 && unit < 0x7F ? static_cast<char>(unit) : '?';
    }
    out += '\n';
}

}  // namespace

void appendListing(std::string* listing, const char* format, ...) {
    if (!listing) return;
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    *listing += text;
}

void listValues(std::string& listing, const void* value, int format, int byteCount, TiffByteOrder order) {
    if (format < 1 || format > 12) {
        appendListing(&listing, "Unknown format %d:", format);
        return;
    }
    const unsigned char* at = static_cast<const unsigned char*>(value);
    const int size = kBytesPerFormat[format];
    for (int listed = 0; byteCount >= size; ++listed) {
        if (listed == kMaxListedComponents) {
            listing += "...";
            return;
        }
        appendComponent(listing, at, format, order);
        at += size;
        byteCount -= size;
        if (byteCount >= size) listing += ", ";
    }
}

const char* listingIndent(int level) {
    static const char spaces[] = "                                        ";
    int width = level < 0 ? 0 : level > 10 ? 40 : 4 * level;
    return spaces + (sizeof spaces - 1 - width);
}

void listExifEntry(std::string& listing, int level, const DirectoryEntry& entry, TiffByteOrder order) {
    const char* name = tagName(entry.tag);
    listing += listingIndent(level);
    if (name)
        appendListing(&listing, "    %s = ", name);
    else
        appendListing(&listing, "    Unknown Tag %04x Value = ", entry.tag);
    if (entry.format == kFormatAscii || entry.format == kFormatUndefined) {
        appendQuotedText(listing, entry.value, entry.byteCount);
    } else if (entry.format == kFormatByte && entry.byteCount > 1) {
        appendWideText(listing, entry.value, entry.byteCount);
    } else {
        listValues(listing, entry.value, entry.format, static_cast<int>(entry.byteCount), order);
        listing += '\n';
    }
}

void listGpsEntry(std::string& listing, const DirectoryEntry& entry, TiffByteOrder order) {
    if (entry.tag < kGpsTagNameCount)
        appendListing(&listing, "        GPS%s =", kGpsTagNames[entry.tag]);
    else
        appendListing(&listing, "        Illegal GPS tag %04x=", entry.tag);
    if (entry.format == kFormatAscii || entry.format == kFormatUndefined) {
        listing += '"';
        for (std::uint32_t i = 0; i < entry.byteCount; ++i)
            if (entry.value[i] >= 0x20) listing += static_cast<char>(entry.value[i]);
        listing += '"';
    } else {
        listValues(listing, entry.value, entry.format, static_cast<int>(entry.byteCount), order);
    }
    listing += '\n';
}

#include "exif/tag_listing.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "exif/byte_order.h"
#include "exif/directory_entry.h"
#include "exif/tag_names.h"

namespace {

constexpr int kMaxListedComponents = 16;

void printComponent(const unsigned char* at, int format) {
    switch (format) {
    case kFormatByte:
    case kFormatSByte: std::printf("%02x", at[0]); break;
    case kFormatShort: std::printf("%d", static_cast<int>(readU16(at))); break;
    case kFormatSShort: std::printf("%hd", static_cast<short>(readU16(at))); break;
    case kFormatLong:
    case kFormatSLong: std::printf("%d", static_cast<int>(readS32(at))); break;
    case kFormatRational:
    case kFormatSRational:
        std::printf("%d/%d", static_cast<int>(readS32(at)), static_cast<int>(readS32(at + 4)));
        break;
    default: std::printf("%f", valueAsDouble(at, format)); break;  // FLOAT and DOUBLE
    }
}

// Text values between double quotes: a run of control bytes shows as one "?", except a run
// that starts at the value's last byte (its terminating zero), which shows nothing.
void printQuotedText(const unsigned char* value, std::uint32_t byteCount) {
    std::putchar('"');
    bool inControlRun = false;
    for (std::uint32_t i = 0; i < byteCount; ++i) {
        if (value[i] >= 0x20) {
            std::putchar(value[i]);
            inControlRun = false;
        } else if (!inControlRun) {
            if (i + 1 < byteCount) std::putchar('?');
            inControlRun = true;
        }
    }
    std::puts("\"");
}

// BYTE values of more than one byte as 16-bit characters (little-endian, as Windows tools
// write them), up to the first zero; anything outside ASCII shows as "?".
void printWideText(const unsigned char* value, std::uint32_t byteCount) {
    for (std::uint32_t i = 0; i + 1 < byteCount; i += 2) {
        unsigned unit = value[i] | (value[i + 1] << 8);
        if (unit == 0) break;
        std::putchar(unit >= 0x20 && unit < 0x7F ? static_cast<int>(unit) : '?');
    }
    std::putchar('\n');
}

}  // namespace

void printValueList(const void* value, int format, int byteCount) {
    if (format < 1 || format > 12) {
        std::printf("Unknown format %d:", format);
        return;
    }
    const unsigned char* at = static_cast<const unsigned char*>(value);
    const int size = kBytesPerFormat[format];
    for (int printed = 0; byteCount >= size; ++printed) {
        if (printed == kMaxListedComponents) {
            std::printf("...");
            return;
        }
        printComponent(at, format);
        at += size;
        byteCount -= size;
        if (byteCount >= size) std::printf(", ");
    }
}

const char* listingIndent(int level) {
    static const char spaces[] = "                                        ";
    int width = level < 0 ? 0 : level > 10 ? 40 : 4 * level;
    return spaces + (sizeof spaces - 1 - width);
}

void listExifEntry(int level, const DirectoryEntry& entry) {
    const char* name = tagName(entry.tag);
    std::printf("%s", listingIndent(level));
    if (name)
        std::printf("    %s = ", name);
    else
        std::printf("    Unknown Tag %04x Value = ", entry.tag);
    if (entry.format == kFormatAscii || entry.format == kFormatUndefined) {
        printQuotedText(entry.value, entry.byteCount);
    } else if (entry.format == kFormatByte && entry.byteCount > 1) {
        printWideText(entry.value, entry.byteCount);
    } else {
        printValueList(entry.value, entry.format, static_cast<int>(entry.byteCount));
        std::putchar('\n');
    }
}

void listGpsEntry(const DirectoryEntry& entry) {
    if (entry.tag < kGpsTagNameCount)
        std::printf("        GPS%s =", kGpsTagNames[entry.tag]);
    else
        std::printf("        Illegal GPS tag %04x=", entry.tag);
    if (entry.format == kFormatAscii || entry.format == kFormatUndefined) {
        std::putchar('"');
        for (std::uint32_t i = 0; i < entry.byteCount; ++i)
            if (entry.value[i] >= 0x20) std::putchar(entry.value[i]);
        std::putchar('"');
    } else {
        printValueList(entry.value, entry.format, static_cast<int>(entry.byteCount));
    }
    std::putchar('\n');
}

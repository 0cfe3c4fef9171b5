#pragma once
// The marker codes of a JPEG stream (the byte after 0xFF) that this program acts on, and what
// kind of segment each starts.

#include <cstddef>

inline constexpr unsigned char kMarkerPrefix = 0xFF;
inline constexpr int kSoi = 0xD8;  // start of image
inline constexpr int kEoi = 0xD9;  // end of image
inline constexpr int kSos = 0xDA;  // start of scan
inline constexpr int kDht = 0xC4;  // Huffman tables
inline constexpr int kDac = 0xCC;  // arithmetic conditioning
inline constexpr int kDqt = 0xDB;  // quantization tables
inline constexpr int kDri = 0xDD;  // restart interval
inline constexpr int kApp0 = 0xE0;  // JFIF, JFXX
inline constexpr int kApp1 = 0xE1;  // Exif, XMP
inline constexpr int kApp2 = 0xE2;  // ICC profile, multi-picture index
inline constexpr int kApp12 = 0xEC;  // Ducky
inline constexpr int kApp13 = 0xED;  // Photoshop
inline constexpr int kApp14 = 0xEE;  // Adobe
inline constexpr int kApp15 = 0xEF;
inline constexpr int kCom = 0xFE;   // comment

// APP0..APP15 or COM: the segments a photo's metadata lives in.
inline bool isApplicationMarker(int code) { return (code >= kApp0 && code <= kApp15) || code == kCom; }

// SOF0..SOF15 without DHT, JPG (0xC8) and DAC: the start of a frame.
inline bool isFrameMarker(int code) { return code >= 0xC0 && code <= 0xCF && code != kDht && code != 0xC8 && code != kDac; }

// RST0..RST7, which stand inside coded data.
inline bool isRestartMarker(int code) { return code >= 0xD0 && code <= 0xD7; }

// Whether the bytes begin as a JPEG stream does: 0xFF and SOI.
inline bool startsWithSoi(const unsigned char* bytes, std::size_t size) {
    return size >= 2 && bytes[0] == kMarkerPrefix && bytes[1] == kSoi;
}

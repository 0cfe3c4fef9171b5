#pragma once
// What the section reader takes out of single segments: length fields, the frame header's
// size and colour values, the comment text.

// Marker codes the container acts on.
inline constexpr int kApp0 = 0xE0;
inline constexpr int kApp1 = 0xE1;
inline constexpr int kComment = 0xFE;

// Big-endian 16-bit value of two bytes, 0..65535.
int readBigEndian16(const unsigned char* bytes);

// The COM segment's text (from byte 2 up to byte min(length, 2000)) into photoInfo.comments:
// CR LF becomes LF, bytes below 0x20 other than LF and TAB become '?'.
void storeComment(const unsigned char* bytes, int length);

// Height, width, colour (3 components) and process of an SOFn segment into photoInfo.
// The segment must hold at least kFrameHeaderSize bytes.
inline constexpr int kFrameHeaderSize = 8;
void storeFrameHeader(const unsigned char* bytes, int markerCode);

// Whether a segment's payload begins with the four characters "Exif".
bool hasExifSignature(const unsigned char* bytes, int byteCount);

// Whether a segment's payload begins with "JFIF" and a zero byte.
bool hasJfifSignature(const unsigned char* bytes, int byteCount);

// Whether a marker code is APP0..APP15 or COM: the segments a photo's metadata lives in.
bool isApplicationMarker(int markerCode);

// Whether a marker code starts a frame (SOF0..SOF15 without DHT, JPG and DAC).
bool isFrameMarker(int markerCode);

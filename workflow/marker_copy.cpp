#include "workflow/marker_copy.h"

#include "jpegfile/markers.h"

namespace {

// Above the 65,533 data bytes one segment can carry, so every marker is saved whole.
constexpr unsigned kSaveWhole = 0xFFFF;

constexpr unsigned char kJfifIdentifier[5] = {0x4A, 0x46, 0x49, 0x46, 0x00};  // "JFIF" and a zero byte
constexpr unsigned char kAdobeIdentifier[5] = {0x41, 0x64, 0x6F, 0x62, 0x65};  // "Adobe", no terminator

bool startsWith(const jpeg_marker_struct& marker, const unsigned char (&identifier)[5]) {
    if (marker.data_length < sizeof identifier) return false;
    for (unsigned i = 0; i < sizeof identifier; ++i)
        if (marker.data[i] != identifier[i]) return false;
    return true;
}

bool duplicatesOwnHeader(const jpeg_marker_struct& marker, j_compress_ptr dst) {
    if (dst->write_JFIF_header && marker.marker == kApp0 && startsWith(marker, kJfifIdentifier)) return true;
    if (dst->write_Adobe_marker && marker.marker == kApp14 && startsWith(marker, kAdobeIdentifier)) return true;
    return false;
}

}  // namespace

void setupMarkerCopy(j_decompress_ptr src, MarkerCopyOption option) {
    if (option != CopyNone) jpeg_save_markers(src, kCom, kSaveWhole);
    if (option == CopyAll)
        for (int index = 0; index < 16; ++index) jpeg_save_markers(src, kApp0 + index, kSaveWhole);
}

void copySavedMarkers(j_decompress_ptr src, j_compress_ptr dst, MarkerCopyOption) {
    for (jpeg_saved_marker_ptr marker = src->marker_list; marker != nullptr; marker = marker->next) {
        if (duplicatesOwnHeader(*marker, dst)) continue;
        jpeg_write_marker(dst, marker->marker, marker->data, marker->data_length);
    }
}

#pragma once
// The turned photo as bytes, built from the photo read once: its main picture turned with its
// coding kept, every application segment and comment of the photo in its order (the Exif block
// with its thumbnail turned, a JFXX thumbnail turned, the multi-picture index and the XMP
// container lengths following the turned pictures), then the bytes after the picture with every
// further picture turned.

#include <string>
#include <vector>

#include "jpegfile/photo_record.h"
#include "jpegfile/position_turn.h"
#include "workflow/processing_options.h"
#include "workflow/rotate_result.h"

struct TurnedPhoto {
    std::vector<unsigned char> bytes;  // the complete file; empty when refused
    RotateResult result;               // Rotated with its notes, or why not
};

// `record` is what readPhotoRecord found in `source`; the turn edits its own copy. The stored
// picture gets `turn.stored`; a `turn.tagAfter` from 1 to 8 is what every orientation the photo
// states (Exif and XMP) says afterwards (1 for a photo made upright, the value it had for an undo;
// 0 keeps them); the positions and sizes its metadata gives follow (jpegfile/position_turn.h).
TurnedPhoto turnPhoto(const std::vector<unsigned char>& source, PhotoRecord record, const PictureTurn& turn,
                      const TurnSettings& settings);

// A further picture of a photo (its bytes from its SOI to its EOI) turned by the same steps: at its
// full size (through its pixels where the coefficients cannot be moved exactly, said in the
// result's `reencoded`), its own further pictures not looked for; its orientation as `tagAfter` says.
TurnedPhoto turnFurtherPicture(const std::vector<unsigned char>& picture, PhotoRecord record, TransformKind kind,
                               int tagAfter, const TurnSettings& settings);

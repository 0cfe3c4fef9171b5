#pragma once
// The part of a photo's turn that concerns what its metadata states about its picture: the
// orientation reset of its XMP under an upright turn, the face regions, the focus point and the
// sizes, in the Exif block and every XMP packet of the photo (jpegfile/exif_positions.h,
// jpegfile/xmp_edit.h).

#include <string>

#include "jpegfile/photo_record.h"
#include "jpegfile/position_turn.h"
#include "workflow/coefficient_pass.h"

// Edits `record`'s segments for `turn`, whose stored picture `pass` turned. false with a reason
// when a value cannot be rewritten soundly, or the picture did not come out at the size the turn
// was planned with (the positions would be given for another picture).
bool turnStatedPositions(PhotoRecord& record, const CoefficientPassResult& pass, const PictureTurn& turn,
                         std::string* reason);

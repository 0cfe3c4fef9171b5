#pragma once
// What a planned turn will do to a photo, and every refusal that can be known before its picture
// data is read: from its header (its kind of JPEG, its size against the turn, its metadata) and
// its file (permissions). The turn itself asks the same questions first, through the same
// function, so that a dry run and the review refuse in advance what the run would refuse.

#include <string>

#include "jpegfile/photo_record.h"
#include "platform/source_file.h"
#include "workflow/plan.h"
#include "workflow/processing_options.h"
#include "workflow/rotate_result.h"

// From the header of the photo at `photo` (a link already resolved), opened as `source`; with
// options.RefuseEdgeStrip a turn that would drop an edge strip is refused.
Foresight foreseeTurn(const PlannedPhoto& planned, const ProcessingOptions& options, const PhotoRecord& header,
                      const platform::SourceFile& source, const std::string& photo);

// Opens the planned photo (behind its link) as `source` with `locking`, refusing what is no
// regular file, has several names or is in use, and reads its header for the same. Reads no
// picture data and changes nothing.
Foresight openAndForesee(const PlannedPhoto& planned, const ProcessingOptions& options, platform::SourceFile& source,
                         platform::SourceFile::Locking locking);

// The same, taking no lock: what a dry run and the review ask.
Foresight foresee(const PlannedPhoto& planned, const ProcessingOptions& options);

// What the turn would report, from its foresight: turned (the stored turn, the strip, the
// orientation before and after), already upright, or refused with the reason.
RotateResult foreseenResult(const Foresight& foresight);

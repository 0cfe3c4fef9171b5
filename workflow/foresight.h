#pragma once
// What a planned turn will do to a photo, and every refusal that can be known before its picture
// data is read: from its header (its kind of JPEG, its size against the turn, its metadata) and
// its file (permissions). The turn itself asks the same questions first, so that a dry run and
// the review refuse in advance what the run would refuse.

#include <string>

#include "jpegfile/photo_record.h"
#include "platform/source_file.h"
#include "workflow/plan.h"
#include "workflow/processing_options.h"

// From the header of the photo at `photo` (a link already resolved), opened as `source`.
Foresight foreseeTurn(const PlannedPhoto& planned, const PhotoRecord& header, const platform::SourceFile& source,
                      const std::string& photo);

// Opens the planned photo (taking no lock, changing nothing) and reads its header for the same.
Foresight foresee(const PlannedPhoto& planned);

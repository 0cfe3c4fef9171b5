#pragma once
// What a planned turn will do to a photo, and every refusal that can be known before its picture
// data is read: from its header (its kind of JPEG, its size against the turn, its metadata) and
// its file (permissions). The turn itself asks the same questions first, through the same
// function, so that a dry run and the review refuse in advance what the run would refuse.

#include <functional>
#include <string>

#include "jpegfile/photo_record.h"
#include "platform/source_file.h"
#include "workflow/plan.h"
#include "workflow/processing_options.h"
#include "workflow/rotate_result.h"

// What a photo's header and file say whatever its turn: read once, a turn of any kind is foreseen
// from them without the file (the review foresees each photo again as its turn is changed).
struct PhotoFacts {
    bool headerRead = false;  // the header was read: orientation and frame hold
    int orientation = 0;      // the Orientation a turn goes by (0: none), of Exif, XMP and sidecars
    std::string orientationNote;   // "" when they agree; else which disagreed, and which was followed
    bool othersNotUpright = false;  // a source not followed states another orientation than 1
    FrameFacts frame;
    Refusal whateverTurn;  // refused even when nothing is to be done: the file cannot be opened or
                           // read, its Exif block cannot be read, its JPEG process is not turned
    Refusal ifChanged;     // refused once anything is to be done: its further pictures' index,
                           // no permission to write
    Refusal ifBackedUp;    // refused once anything is to be done with a backup: NAME.bak is no file
    platform::FileIdentity identity;  // the file as it was read (once it could be opened)
};

// The facts of the photo at `photo` (a link already resolved), opened as `source`, from its header.
PhotoFacts photoFactsOf(const PhotoRecord& header, const platform::SourceFile& source, const std::string& photo);

// The foresight of `planned` from the facts of its photo; with options.RefuseEdgeStrip a turn
// that would drop an edge strip is refused.
Foresight foreseeTurn(const PlannedPhoto& planned, const ProcessingOptions& options, const PhotoFacts& facts);

// From the header of the photo at `photo` (a link already resolved), opened as `source`.
Foresight foreseeTurn(const PlannedPhoto& planned, const ProcessingOptions& options, const PhotoRecord& header,
                      const platform::SourceFile& source, const std::string& photo);

// Opens the planned photo (behind its link) as `source` with `locking`, refusing what is no
// regular file, has several names or is in use, and reads its header for the same. Reads no
// picture data and changes nothing.
Foresight openAndForesee(const PlannedPhoto& planned, const ProcessingOptions& options, platform::SourceFile& source,
                         platform::SourceFile::Locking locking);

// Sees a photo's header and its open file, for a caller that needs more of it than its facts.
using HeaderVisitor = std::function<void(const PhotoRecord& header, const platform::SourceFile& source)>;

// Opens the photo at `path` (taking no lock, changing nothing) and reads its header for its facts;
// `visit`, when given, sees the header and the file once they were read.
PhotoFacts readPhotoFacts(const std::string& path, const HeaderVisitor& visit = {});

// readPhotoFacts of the planned photo, foreseen: what a dry run and the review ask.
Foresight foresee(const PlannedPhoto& planned, const ProcessingOptions& options);

// What the turn would report, from its foresight: turned (the stored turn, the strip, the
// orientation before and after), already upright, or refused with the reason.
RotateResult foreseenResult(const Foresight& foresight);

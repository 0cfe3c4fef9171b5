#pragma once
// Where a photo states how it is to be shown: its Exif Orientation, the tiff:Orientation of its
// XMP packet and of its sidecars. They should agree. Where they do not, the Exif one is followed
// (cameras write it, and viewers read it first); where the Exif block states none, the XMP's is,
// the photo's own packet before a sidecar. What was followed over what is said in a note.

#include <string>
#include <vector>

#include "jpegfile/photo_record.h"

struct SidecarPacket {
    std::string name;  // the sidecar's file name
    std::string packet;
};

struct StatedOrientation {
    int followed = 0;  // the orientation a turn goes by (0: none, or none that means anything)
    std::string note;  // "" when every source agrees; else which disagreed, and which was followed
    // Some source other than the one followed states an orientation other than 1: a turn that
    // makes the photo upright still has something to set to 1.
    bool othersNotUpright = false;
};

// From the photo's record (its header will do) and the packets of its sidecars.
StatedOrientation statedOrientation(const PhotoRecord& record, const std::vector<SidecarPacket>& sidecars);

// The same, with the sidecars of the photo at `photo` (a link resolved) read for it. A sidecar that
// cannot be read states nothing here; the turn refuses the photo when it reads it.
StatedOrientation statedOrientation(const PhotoRecord& record, const std::string& photo);

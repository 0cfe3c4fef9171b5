#pragma once
// The face and person regions of an XMP packet, which photo managers write for the picture as
// shown: MWG regions (mwg-rs:Regions, each area a centre and a size or a diameter, normalised or
// in pixels of mwg-rs:AppliedToDimensions, which is rewritten as the new shown size) and
// Microsoft's (MP:RegionInfo, each rectangle "x, y, w, h" normalised from its top-left corner).
// Each value is written again in the form and with the decimal places it had.

#include <string>
#include <vector>

#include "jpegfile/position_turn.h"
#include "jpegfile/xmp_tree.h"
#include "jpegfile/xmp_values.h"

// Adds the replacements that turn every region of the packet's top-level resources with `turn`.
// false with a reason when a region cannot be turned soundly: a value that is no number, a unit
// or size that is not stated, a normalised circle on a picture whose shape the turn changes.
bool turnXmpRegions(const XmpTree& tree, const std::string& packet, const PictureTurn& turn,
                    std::vector<XmpReplacement>* replacements, std::string* reason);

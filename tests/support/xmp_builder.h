#pragma once
// The tests' own XMP packets: one top-level rdf:Description with the namespaces a turn edits
// bound (tiff, exif, mwg-rs, stArea, stDim, MP, MPRI, MPReg, and dc and xmpMM for look-alikes),
// and face regions in the forms photo managers write.

#include <string>
#include <vector>

#include "tests/support/jpeg_maker.h"

namespace testsupport {

// `attributes` go on the description, `elements` inside it.
std::string xmpPacket(const std::string& attributes, const std::string& elements = "");
// The packet as an APP1 payload: "http://ns.adobe.com/xap/1.0/", a zero byte, the packet.
Bytes xmpPayload(const std::string& packet);

// One MWG area: its centre and size, normalised (written with 6 decimals) or in pixels (whole
// numbers), as attributes of mwg-rs:Area or as elements inside it.
struct MwgArea {
    double x, y, w, h;
    bool normalized;
    bool asElements;
};
// mwg-rs:Regions applied to `width` x `height` pixels, a face region for each area.
std::string mwgRegions(int width, int height, const std::vector<MwgArea>& areas);
// MP:RegionInfo with one region whose rectangle is "x, y, w, h" (normalised, 6 decimals).
std::string microsoftRegion(double x, double y, double w, double h);

}  // namespace testsupport

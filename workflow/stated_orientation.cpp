#include "workflow/stated_orientation.h"

#include "jpegfile/xmp_edit.h"
#include "platform/pending_file.h"
#include "platform/source_file.h"
#include "workflow/sidecars.h"

namespace {

struct Source {
    std::string sidecar;  // the sidecar's name; "" for the photo's own packet
    int orientation;
};

int embeddedXmpOrientation(const PhotoRecord& record) {
    for (const Segment& segment : record.segments)
        if (segment.is(SegmentKind::Xmp)) return xmpOrientation(xmpPacketOf(segment.payload(), segment.payloadSize()));
    return 0;
}

std::string said(const Source& source) {
    const std::string value = "orientation " + std::to_string(source.orientation);
    return source.sidecar.empty() ? "its XMP " + value : "the " + value + " of its sidecar '" + source.sidecar + "'";
}

}  // namespace

StatedOrientation statedOrientation(const PhotoRecord& record, const std::vector<SidecarPacket>& sidecars) {
    std::vector<Source> xmp;
    if (const int embedded = embeddedXmpOrientation(record)) xmp.push_back({"", embedded});
    for (const SidecarPacket& sidecar : sidecars)
        if (const int value = xmpOrientation(sidecar.packet)) xmp.push_back({sidecar.name, value});

    StatedOrientation stated;
    // An Exif Orientation entry anywhere counts as the Exif block stating one, even a value that
    // means nothing: then no XMP value is taken over it.
    const bool exifStates = !record.exifLayout.orientationEntries.empty();
    std::string followedName;
    if (exifStates) {
        stated.followed = record.info.orientation;
        followedName = "its Exif orientation " + std::to_string(stated.followed);
    } else if (!xmp.empty()) {
        stated.followed = xmp.front().orientation;
        followedName = said(xmp.front());
        stated.note = "it has no Exif orientation: " + followedName + " was followed";
    }
    for (std::size_t i = exifStates ? 0 : 1; i < xmp.size(); ++i) {
        if (xmp[i].orientation != 1) stated.othersNotUpright = true;
        if (xmp[i].orientation == stated.followed) continue;
        stated.note += (stated.note.empty() ? "" : "; ") + said(xmp[i]) + " disagreed with " + followedName +
                       ", which was followed";
    }
    return stated;
}

StatedOrientation statedOrientation(const PhotoRecord& record, const std::string& photo) {
    std::vector<SidecarPacket> packets;
    for (const std::string& path : findSidecars(photo).sidecars) {
        platform::SourceFile sidecar;
        std::string error;
        std::vector<unsigned char> bytes;
        if (sidecar.open(path, &error, platform::SourceFile::Locking::None) != platform::SourceFile::Status::Ok ||
            sidecar.readPrefix(kMaxSidecarSize, &bytes, &error) != platform::SourceFile::Status::Ok)
            continue;
        packets.push_back({platform::baseNameOf(path), std::string(bytes.begin(), bytes.end())});
    }
    return statedOrientation(record, packets);
}

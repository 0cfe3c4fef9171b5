#include "jpegfile/exif_positions.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "exif/entry_number.h"

namespace {

constexpr unsigned kImageWidth = 0x0100, kImageLength = 0x0101, kSubjectArea = 0x9214, kSubjectLocation = 0xA214;

std::uint32_t rounded(double value) { return static_cast<std::uint32_t>(std::lround(std::max(value, 0.0))); }

class ExifPositionTurn {
public:
    ExifPositionTurn(unsigned char* segment, std::size_t length, const BlockLayout& layout, const PictureTurn& turn)
        : segment_(segment), length_(length), layout_(layout), turn_(turn) {}

    bool collect(std::string* reason) {
        for (std::uint32_t entry : layout_.subjectLocationEntries)
            if (!subject(entry, kSubjectLocation, reason)) return false;
        for (std::uint32_t entry : layout_.subjectAreaEntries)
            if (!subject(entry, kSubjectArea, reason)) return false;
        return size(reason);
    }

    bool write(std::string* reason) {
        if (rewriteNumbers(segment_, length_, layout_, edits_) == Rewrite::Done) return true;
        *reason = "an Exif position or size of the picture cannot be rewritten in its place";
        return false;
    }

private:
    // SubjectLocation (x, y) and SubjectArea (x, y; x, y, diameter; x, y, width, height): the
    // centre is a pixel's column and row, taken as that pixel's box inside what is kept.
    bool subject(std::uint32_t entry, unsigned tag, std::string* reason) {
        const std::uint32_t count = componentCount(segment_, length_, layout_, entry, tag);
        std::uint32_t value[4] = {0, 0, 0, 0};
        const bool shaped = tag == kSubjectLocation ? count == 2 : count >= 2 && count <= 4;
        for (std::uint32_t i = 0; shaped && i < count; ++i)
            if (!readNumber(segment_, length_, layout_, entry, tag, &value[i], i)) {
                *reason = "an Exif subject position is no number";
                return false;
            }
        if (!shaped) {
            *reason = tag == kSubjectLocation ? "the Exif SubjectLocation is not a point"
                                              : "the Exif SubjectArea is not a point, a circle or a rectangle";
            return false;
        }
        const double keptRight = turn_.keptWidth - 0.5, keptBottom = turn_.keptHeight - 0.5;
        const double centreX = std::clamp(value[0] + 0.5, 0.5, keptRight), centreY = std::clamp(value[1] + 0.5, 0.5, keptBottom);
        const bool rectangle = count == 4;
        const Box box = boxAfter(turn_, PictureFrame::Stored,
                                 rectangle ? Box::around(value[0] + 0.5, value[1] + 0.5, value[2], value[3])
                                           : Box::around(centreX, centreY, 1, 1));
        add(entry, tag, 0, rounded(box.centreX() - 0.5));
        add(entry, tag, 1, rounded(box.centreY() - 0.5));
        if (rectangle) {
            add(entry, tag, 2, rounded(box.width()));
            add(entry, tag, 3, rounded(box.height()));
        }
        return true;
    }

    // IFD0's ImageWidth and ImageLength (jpegfile/position_turn.h: turnStatedSize).
    bool size(std::string* reason) {
        std::uint32_t width = 0, height = 0;
        const bool hasWidth = !layout_.imageWidthEntries.empty(), hasHeight = !layout_.imageLengthEntries.empty();
        if ((hasWidth && !readNumber(segment_, length_, layout_, layout_.imageWidthEntries[0], kImageWidth, &width)) ||
            (hasHeight && !readNumber(segment_, length_, layout_, layout_.imageLengthEntries[0], kImageLength, &height))) {
            *reason = "the Exif ImageWidth or ImageLength is no number";
            return false;
        }
        StatedSize stated;
        if (hasWidth) stated.width = width;
        if (hasHeight) stated.height = height;
        if (!turnStatedSize(turn_, &stated)) return true;
        for (std::uint32_t entry : layout_.imageWidthEntries) add(entry, kImageWidth, 0, static_cast<std::uint32_t>(*stated.width));
        for (std::uint32_t entry : layout_.imageLengthEntries) add(entry, kImageLength, 0, static_cast<std::uint32_t>(*stated.height));
        return true;
    }

    void add(std::uint32_t entry, unsigned tag, std::uint32_t component, std::uint32_t value) {
        edits_.push_back({entry, tag, value, component});
    }

    unsigned char* segment_;
    std::size_t length_;
    const BlockLayout& layout_;
    const PictureTurn& turn_;
    std::vector<NumberEdit> edits_;
};

}  // namespace

bool turnExifPositions(unsigned char* segment, std::size_t length, const BlockLayout& layout, const PictureTurn& turn,
                       std::string* reason) {
    if (!layout.walked || turn.movesNothing()) return true;
    ExifPositionTurn positions(segment, length, layout, turn);
    return positions.collect(reason) && positions.write(reason);
}

#include "exif/turn_edits.h"

#include <vector>

#include "exif/entry_number.h"

namespace {

constexpr unsigned kOrientation = 0x0112, kExifImageWidth = 0xA002, kExifImageLength = 0xA003;

void addEdits(std::vector<NumberEdit>& edits, const std::vector<std::uint32_t>& entries, unsigned tag, std::uint32_t value) {
    for (std::uint32_t entry : entries) edits.push_back({entry, tag, value});
}

}  // namespace

bool setOrientation(unsigned char* segment, std::size_t length, const BlockLayout& layout, std::uint32_t value) {
    if (!layout.walked) return false;
    std::vector<NumberEdit> edits;
    addEdits(edits, layout.orientationEntries, kOrientation, value);
    return rewriteNumbers(segment, length, layout, edits) == Rewrite::Done;
}

bool setPixelDimensions(unsigned char* segment, std::size_t length, const BlockLayout& layout, std::uint32_t width,
                        std::uint32_t height) {
    if (!layout.walked) return false;
    std::vector<NumberEdit> edits;
    addEdits(edits, layout.widthEntries, kExifImageWidth, width);
    addEdits(edits, layout.heightEntries, kExifImageLength, height);
    return rewriteNumbers(segment, length, layout, edits) == Rewrite::Done;
}

bool readPixelDimensions(const unsigned char* segment, std::size_t length, const BlockLayout& layout,
                         std::uint32_t* width, std::uint32_t* height) {
    return layout.walked && !layout.widthEntries.empty() && !layout.heightEntries.empty() &&
           readNumber(segment, length, layout, layout.widthEntries[0], kExifImageWidth, width) &&
           readNumber(segment, length, layout, layout.heightEntries[0], kExifImageLength, height);
}

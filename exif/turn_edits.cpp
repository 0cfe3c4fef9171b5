#include "exif/turn_edits.h"

#include <vector>

#include "exif/block_layout.h"
#include "exif/entry_number.h"

namespace {

constexpr unsigned kOrientation = 0x0112, kExifImageWidth = 0xA002, kExifImageLength = 0xA003;
constexpr std::uint32_t kUpright = 1;

const BlockLayout* walkedBlock(const unsigned char* segment, std::size_t length) {
    const BlockLayout* layout = layoutOf(segment, length);
    return layout && layout->walked ? layout : nullptr;
}

void addEdits(std::vector<NumberEdit>& edits, const std::vector<std::uint32_t>& entries, unsigned tag, std::uint32_t value) {
    for (std::uint32_t entry : entries) edits.push_back({entry, tag, value});
}

}  // namespace

bool setOrientationUpright(unsigned char* segment, std::size_t length) {
    const BlockLayout* layout = walkedBlock(segment, length);
    if (!layout) return false;
    std::vector<NumberEdit> edits;
    addEdits(edits, layout->orientationEntries, kOrientation, kUpright);
    return rewriteNumbers(segment, length, *layout, edits) == Rewrite::Done;
}

bool setPixelDimensions(unsigned char* segment, std::size_t length, std::uint32_t width, std::uint32_t height) {
    const BlockLayout* layout = walkedBlock(segment, length);
    if (!layout) return false;
    std::vector<NumberEdit> edits;
    addEdits(edits, layout->widthEntries, kExifImageWidth, width);
    addEdits(edits, layout->heightEntries, kExifImageLength, height);
    return rewriteNumbers(segment, length, *layout, edits) == Rewrite::Done;
}

bool readPixelDimensions(const unsigned char* segment, std::size_t length, std::uint32_t* width, std::uint32_t* height) {
    const BlockLayout* layout = walkedBlock(segment, length);
    return layout && !layout->widthEntries.empty() && !layout->heightEntries.empty() &&
           readNumber(segment, length, *layout, layout->widthEntries[0], kExifImageWidth, width) &&
           readNumber(segment, length, *layout, layout->heightEntries[0], kExifImageLength, height);
}

#include "exif/turn_edits.h"

#include <functional>

#include "exif/exif_test_helpers.h"
#include "exif/resolution_swap.h"

namespace {

using namespace exiftest;

EXIF_BOTH_ORDERS(TurnEditsTest);

// The value of the entry `tag` in the directory `dir` is to read `value` afterwards (2 or 4 bytes).
struct Change {
    std::uint32_t ExifBlock::*dir;
    std::uint16_t tag;
    int size;
    std::uint32_t value;
};

struct EditCase {
    ExifSpec recipe;
    std::function<bool(Bytes&)> edit;  // on the segment that was read
    bool result;
    std::vector<Change> changes;  // every other byte stays
};

bool upright(Bytes& segment) { return setOrientation(segment.data(), segment.size(), lastLayout, 1); }
bool back(Bytes& segment) { return setOrientation(segment.data(), segment.size(), lastLayout, 6); }
std::function<bool(Bytes&)> dimensions(std::uint32_t width, std::uint32_t height) {
    return [=](Bytes& segment) { return setPixelDimensions(segment.data(), segment.size(), lastLayout, width, height); };
}

bool resolutionsSwapped(Bytes& segment) { return swapResolutions(segment.data(), segment.size(), lastLayout); }

TEST_P(TurnEditsTest, EachValueIsWrittenInItsOwnTypeOrNoneIs) {
    ExifSpec both = recipe({shortEntry(0x0112, {6})});
    both.ifd1 = ExifEntries{longEntry(0x0112, {8})};
    ExifSpec shorts = recipe(), longs = recipe();
    shorts.exif = ExifEntries{shortEntry(0xA002, {640}), shortEntry(0xA003, {480})};
    longs.exif = ExifEntries{longEntry(0xA002, {640}), longEntry(0xA003, {480})};
    // XResolution and YResolution change places within each directory, never across two.
    ExifSpec resolutions = recipe({rationalEntry(0x011A, {300, 1}), rationalEntry(0x011B, {150, 1})});
    resolutions.ifd1 = ExifEntries{rationalEntry(0x011A, {72, 1}), rationalEntry(0x011B, {96, 1})};
    ExifSpec apart = recipe({rationalEntry(0x011A, {300, 1})});
    apart.ifd1 = ExifEntries{rationalEntry(0x011B, {96, 1})};
    const std::vector<EditCase> cases = {
        {resolutions, resolutionsSwapped, true,
         {{&ExifBlock::ifd0, 0x011A, 4, 150}, {&ExifBlock::ifd0, 0x011B, 4, 300},
          {&ExifBlock::ifd1, 0x011A, 4, 96}, {&ExifBlock::ifd1, 0x011B, 4, 72}}},
        {apart, resolutionsSwapped, true, {}},
        {recipe({rationalEntry(0x011A, {300, 1}), srationalEntry(0x011B, {150, 1})}), resolutionsSwapped, false, {}},
        {both, upright, true, {{&ExifBlock::ifd0, 0x0112, 2, 1}, {&ExifBlock::ifd1, 0x0112, 4, 1}}},
        {both, back, true, {{&ExifBlock::ifd1, 0x0112, 4, 6}}},  // an undo's value; IFD0's said 6 already
        {recipe({shortEntry(0x0112, {6}), asciiEntry(0x0112, "6")}), upright, false, {}},  // text holds no number
        {recipe(), upright, true, {}},
        {recipe({shortEntry(0x0112, {6}), rawEntry(0x9999, kExifUndefined, 8, 14)}), upright, false, {}},  // bytes shared
        {both, [](Bytes& segment) { return setOrientation(segment.data(), segment.size(), BlockLayout{}, 1); }, false,
         {}},  // a block that was not walked
        {shorts, dimensions(480, 640), true, {{&ExifBlock::exif, 0xA002, 2, 480}, {&ExifBlock::exif, 0xA003, 2, 640}}},
        {longs, dimensions(70000, 480), true, {{&ExifBlock::exif, 0xA002, 4, 70000}, {&ExifBlock::exif, 0xA003, 4, 480}}},
        {shorts, dimensions(70000, 480), false, {}},
        {shorts, dimensions(480, 70000), false, {}},
        {recipe(), dimensions(480, 640), true, {}},
        {shorts, [](Bytes& s) { std::uint32_t w, h; return readPixelDimensions(s.data(), s.size(), lastLayout, &w, &h) && w == 640 && h == 480; },
         true, {}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        const ExifBlock block = buildExif(inOrder(cases[i].recipe));
        ExifBlock expected = block;
        for (const Change& c : cases[i].changes) {
            const std::uint32_t at = block.valueOf(block.*c.dir, c.tag);
            c.size == 2 ? expected.put16(at, static_cast<std::uint16_t>(c.value)) : expected.put32(at, c.value);
        }
        Bytes segment = readSegment(block.segment());
        EXPECT_EQ(cases[i].edit(segment), cases[i].result);
        EXPECT_EQ(segment, expected.segment());
    }
}

}  // namespace

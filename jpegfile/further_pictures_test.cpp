#include "jpegfile/further_pictures.h"

#include <gtest/gtest.h>

#include "tests/support/multi_picture.h"
#include "tests/support/transform_driver.h"

namespace {

using namespace testsupport;

bool turnByEngine(const unsigned char* stream, std::size_t size, std::vector<unsigned char>* turned, std::string*) {
    *turned = transformInMemory(Bytes(stream, stream + size), TransformKind::Rotate270);
    return true;
}

MpIndex indexOf(const Bytes& file) {
    SegmentSpan span;
    MpIndex index;
    std::string reason;
    EXPECT_TRUE(findMpfSegment(file.data(), file.size(), &span));
    EXPECT_TRUE(readMpIndex(file.data() + span.payloadAt, span.payloadSize, &index, &reason)) << reason;
    return index;
}

// The first picture as it stands (its own turn is not this code's business), the rebuilt bytes
// behind it and the index patched to match.
Bytes rebuilt(const MultiPicture& made, const JpegStreamTurner& turn, TrailingRegion* region, std::string* reason) {
    if (!rebuildTrailingRegion(made.file.data(), made.file.size(), made.firstEnd, indexOf(made.file), made.mpfBase, turn,
                               region, reason))
        return {};
    Bytes first(made.file.begin(), made.file.begin() + long(made.firstEnd));
    EXPECT_TRUE(patchMpIndex(first.data(), first.size(), *region, reason)) << *reason;
    first.insert(first.end(), region->bytes.begin(), region->bytes.end());
    return first;
}

MultiPictureSpec depthAndGainMapsWithVideo() {
    MultiPictureSpec recipe = ultraHdrSpec(ContainerForm::None, ByteOrder::Motorola);
    FurtherPictureSpec depth;
    depth.picture.width = 40;
    depth.picture.height = 24;
    depth.picture.color = ColorKind::Gray;
    depth.attribute = 0x00020002;
    depth.gapBefore = 37;
    recipe.further.insert(recipe.further.begin(), depth);
    recipe.further[1].gapBefore = 5;
    recipe.video = Bytes(3000, 0x66);
    recipe.video[0] = 0xFF;  // a marker-like start must not matter
    return recipe;
}

// Each further picture is turned the same way as the main image, every other byte stays in order,
// and the index gives each turned picture's size and place: only its entries change. A later entry
// with offset 0 lists no stored picture: it is neither turned nor changed. An entry that claims the
// video behind its picture has only the picture replaced: the video stays, and is still claimed.
TEST(FurtherPicturesTest, EachListedPictureIsTurnedAndTheIndexFollows) {
    MultiPictureSpec twoMaps = ultraHdrSpec(ContainerForm::None);
    twoMaps.further.push_back(twoMaps.further[0]);
    struct Case { MultiPictureSpec recipe; bool lastUnlisted, lastClaimsVideo; };
    const Case cases[] = {{ultraHdrSpec(ContainerForm::None), false, false},
                          {depthAndGainMapsWithVideo(), false, false},
                          {depthAndGainMapsWithVideo(), false, true},
                          {twoMaps, true, false}};
    for (const auto& [recipe, lastUnlisted, lastClaimsVideo] : cases) {
        MultiPicture made = makeMultiPicture(recipe);
        const std::size_t lastEntry = made.entriesAt + 16 * made.pictures.size();
        if (lastUnlisted) made.put32(lastEntry + 8, 0);
        const std::size_t claimed = lastClaimsVideo ? recipe.video.size() : 0;
        if (lastClaimsVideo) made.put32(lastEntry + 4, std::uint32_t(made.pictures.back().size() + claimed));
        TrailingRegion region;
        std::string reason;
        const Bytes file = rebuilt(made, turnByEngine, &region, &reason);
        ASSERT_EQ(region.pictures.size(), made.pictures.size() - lastUnlisted) << reason;
        MultiPicture expected = made;
        expected.file.resize(made.firstEnd);
        std::size_t end = made.firstEnd;
        for (std::size_t i = 0; i < region.pictures.size(); ++i) {
            EXPECT_EQ(region.pictures[i].sourceStart, made.starts[i]);
            const Bytes turned = transformInMemory(made.pictures[i], TransformKind::Rotate270);
            expected.file.insert(expected.file.end(), made.file.begin() + long(end), made.file.begin() + long(made.starts[i]));
            const bool last = i + 1 == made.pictures.size();
            expected.put32(made.entriesAt + 16 * (i + 1) + 4, std::uint32_t(turned.size() + (last ? claimed : 0)));
            expected.put32(made.entriesAt + 16 * (i + 1) + 8, std::uint32_t(expected.file.size() - made.mpfBase));
            expected.file.insert(expected.file.end(), turned.begin(), turned.end());
            end = made.starts[i] + made.pictures[i].size();
        }
        expected.file.insert(expected.file.end(), made.file.begin() + long(end), made.file.end());
        EXPECT_EQ(file, expected.file);
    }
}

// An index that cannot be trusted, or a picture that cannot be turned, refuses the whole photo.
TEST(FurtherPicturesTest, UntrustworthyIndexOrUnturnablePictureIsRefusedWithAReason) {
    const MultiPictureSpec recipe = depthAndGainMapsWithVideo();
    const std::size_t second = 16, third = 32;  // the entries' places behind the first
    struct Case { const char* name; std::size_t entry, field; std::int64_t value; const char* reason; };
    const MultiPicture made = makeMultiPicture(recipe);
    const auto offsetOf = [&](std::size_t picture) { return std::int64_t(made.starts[picture] - made.mpfBase); };
    const Case cases[] = {
        {"outside the file", second, 8, std::int64_t(made.file.size()), "picture 2 of the multi-picture index lies outside the file"},
        {"too long for the file", third, 4, 0x7FFFFFFF, "picture 3 of the multi-picture index lies outside the file"},
        {"into the first picture", second, 8, 100, "picture 2 of the multi-picture index lies inside the first picture"},
        {"at the padding", third, 8, offsetOf(1) - 5, "picture 3 of the multi-picture index is not a JPEG picture"},
        {"no JPEG format", second, 0, 0x01000000, "picture 2 of the multi-picture index is not listed as a JPEG picture"},
        {"over the other", third, 8, offsetOf(0), "picture 3 of the multi-picture index overlaps picture 2 of the multi-picture index"},
        {"cannot be turned", 0, 0, 0, "picture 2 of the multi-picture index cannot be turned: damaged picture data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MultiPicture spoilt = made;
        if (c.field || c.entry) spoilt.put32(spoilt.entriesAt + c.entry + c.field, std::uint32_t(c.value));
        TrailingRegion region;
        region.bytes = {1};
        std::string reason;
        const JpegStreamTurner failing = [](const unsigned char*, std::size_t, std::vector<unsigned char>*, std::string* why) {
            *why = "damaged picture data";
            return false;
        };
        EXPECT_TRUE(rebuilt(spoilt, c.field || c.entry ? turnByEngine : failing, &region, &reason).empty());
        EXPECT_EQ(reason, c.reason);
        EXPECT_TRUE(region.bytes.empty() && region.pictures.empty());
    }
}

}  // namespace

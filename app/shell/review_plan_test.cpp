#include "app/shell/review_plan.h"

#include <gtest/gtest.h>

#include "app/shell/tile_look.h"
#include "transform/turns.h"

namespace shell {
namespace {

using K = TransformKind;

// The facts of a 4000 x 3000 photo (4:2:0) with Orientation `orientation`, read from a file of `size` bytes.
PhotoFacts factsOf(int orientation, off_t size = 100, Refusal ifChanged = {}) {
    PhotoFacts facts;
    facts.headerRead = true;
    facts.orientation = orientation;
    facts.frame.marker = 0xC0;
    facts.frame.precision = 8;
    facts.frame.width = 4000;
    facts.frame.height = 3000;
    facts.frame.components = {{1, 2, 2, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}};
    facts.ifChanged = std::move(ifChanged);
    facts.identity.size = size;
    return facts;
}

ReviewPlan planOf(std::size_t photos, bool byTag) {
    std::vector<RunFile> files;
    for (std::size_t i = 0; i < photos; ++i) files.push_back({"/photos/p" + std::to_string(i) + ".jpg"});
    ProcessingOptions options;
    options.AutoOrient = byTag ? 1 : 0;
    return ReviewPlan(files, options);
}

// What the folder command would do: a quarter turn counter-clockwise for every photo, or each
// made upright by its tag (nothing to do without one).
TEST(ReviewPlan, StartsAsTheFolderCommandWouldRun) {
    const struct { bool byTag; int orientation; K turn; bool upright, changes; const char* tip; } rows[] = {
        {false, 1, K::Rotate270, false, true, "Planned: a quarter turn counter-clockwise (rotate 270), as a viewer shows it."},
        {false, 6, K::Rotate270, false, true, "Planned: a quarter turn counter-clockwise (rotate 270), as a viewer shows it."},
        {true, 6, K::None, true, true,
         "Made upright by its orientation tag (6), which is then set to 1: it looks the same.\n"
         "8 rows at the bottom would be dropped: the height is not a whole number of 16-pixel blocks"},
        {true, 1, K::None, true, false, "Stays as it is."},
        {true, 0, K::None, true, false, "Stays as it is."},
    };
    for (const auto& row : rows) {
        ReviewPlan plan = planOf(1, row.byTag);
        EXPECT_EQ(plan.willChange(0), !row.byTag) << "before its header is read";
        plan.learn(0, factsOf(row.orientation), true);
        const PlannedPhoto& planned = plan.photo(0).planned;
        EXPECT_EQ(std::make_tuple(planned.turn, planned.upright, plan.willChange(0)),
                  std::make_tuple(row.turn, row.upright, row.changes)) << row.tip;
        const TileLook look = tileLook(plan, 0);
        EXPECT_EQ(look.tooltip, "/photos/p0.jpg\n" + std::string(row.tip));
        EXPECT_EQ(look.mark, row.changes ? TileMark::Changes : TileMark::Stays);
    }
}

// Choices compose with what is planned, as the viewer sees it; "leave as it is" plans nothing,
// the tag kept too.
TEST(ReviewPlan, ChoicesComposeWithThePlannedTurn) {
    using C = ReviewChoice;
    const struct { bool byTag; std::vector<C> choices; K turn; bool changes; } rows[] = {
        {false, {C::TurnLeft}, K::Rotate180, true},
        {false, {C::Leave, C::TurnLeft, C::TurnLeft}, K::Rotate180, true},
        {false, {C::Leave, C::TurnLeft, C::TurnLeft, C::TurnLeft, C::TurnLeft}, K::None, false},
        {false, {C::TurnRight}, K::None, false},
        {false, {C::Leave, C::FlipHorizontally, C::TurnHalf}, K::FlipVertical, true},
        {false, {C::Leave, C::FlipVertically}, K::FlipVertical, true},
        {true, {C::TurnRight}, K::Rotate90, true},
        {true, {C::TurnRight, C::TurnLeft}, K::None, true},  // still made upright by its tag
        {true, {C::TurnRight, C::Leave}, K::None, false},
    };
    for (const auto& row : rows) {
        ReviewPlan plan = planOf(2, row.byTag);
        plan.learn(0, factsOf(6), true);
        for (C choice : row.choices) plan.choose({0, 7}, choice);
        EXPECT_EQ(plan.photo(0).planned.turn, row.turn) << turnName(row.turn);
        EXPECT_EQ(plan.willChange(0), row.changes) << turnName(row.turn);
        EXPECT_EQ(plan.photo(0).chosen, true);
        EXPECT_FALSE(plan.photo(1).chosen) << "only the selected photo";
    }
}

// "Turn N photos" counts what will change; the run also takes the photos planned to change that
// are known to be refused, so that the result names them.
TEST(ReviewPlan, CountsWhatWillChangeAndRunsItWithThePhotosKnownToBeRefused) {
    std::vector<RunFile> files = {{"/p/a.jpg"}, {"/p/b.jpg"}, {"/p/c.jpg", RefusalReason::SeveralNames}, {"/p/d.jpg"}, {"/p/e.jpg"}};
    ReviewPlan plan(files, ProcessingOptions{});
    plan.learn(1, factsOf(1, 100, refuse(RefusalReason::NoPermission, "read-only")), true);
    plan.learn(3, factsOf(1), true);
    plan.choose({3}, ReviewChoice::Leave);
    EXPECT_EQ(plan.toTurn(), 2u) << "a (not read yet) and e";
    EXPECT_EQ(plan.runIndexes(), (std::vector<std::size_t>{0, 1, 2, 4}));
    EXPECT_EQ(tileLook(plan, 1).tooltip, "/p/b.jpg\nCannot be turned: no permission to write (read-only).");
    EXPECT_EQ(tileLook(plan, 2).mark, TileMark::Refused);
    EXPECT_EQ(tileLook(plan, 2).caption, "Cannot be turned");
    EXPECT_EQ(tileLook(plan, 2).turn, K::None) << "shown as it stays";
    EXPECT_EQ(plan.chosenChanges(), 0u);
    EXPECT_EQ(turnButtonText(plan.toTurn()), "Turn 2 photos");
    EXPECT_EQ(turnButtonText(1), "Turn 1 photo");
    EXPECT_EQ(turnButtonText(0), "Nothing to turn");
}

// A photo read again in another state than its tile shows is not turned unseen; a turned photo
// plans nothing more, and the picture it was turned into stands for its next state.
TEST(ReviewPlan, AChangedPhotoIsShownAgainAndATurnedOneKeepsItsNewPicture) {
    ReviewPlan plan = planOf(3, false);
    for (std::size_t i = 0; i < 3; ++i) plan.learn(i, factsOf(1, 100), true);
    EXPECT_TRUE(plan.learn(0, factsOf(1, 200), false)) << "its tile must be made again";
    EXPECT_FALSE(plan.photo(0).seen.has_value());
    EXPECT_EQ(tileLook(plan, 0).caption, "Changed on disk");
    EXPECT_FALSE(plan.learn(0, factsOf(1, 200), true));
    EXPECT_EQ(plan.photo(0).seen->size, 200);

    plan.clearResults();
    RotateResult turned;
    turned.outcome = FileOutcome::Rotated;
    plan.recordResult(1, turned);
    plan.recordResult(2, refusal(RefusalReason::DamagedData, "Corrupt JPEG data"));
    EXPECT_EQ(plan.photo(1).planned.turn, K::None);
    EXPECT_FALSE(plan.learn(1, factsOf(1, 300), false));
    EXPECT_EQ(plan.photo(1).seen->size, 300);
    EXPECT_FALSE(plan.willChange(1));
    const std::vector<std::string> captions = {tileLook(plan, 0).caption, tileLook(plan, 1).caption, tileLook(plan, 2).caption};
    EXPECT_EQ(captions, (std::vector<std::string>{"Left as it was", "Turned", "Not turned"}));
    EXPECT_EQ(tileLook(plan, 2).tooltip.substr(tileLook(plan, 2).tooltip.rfind('\n') + 1),
              "Not turned: damaged picture data (Corrupt JPEG data).");
    plan.recordResult(0, refusal(RefusalReason::ChangedSinceShown));
    EXPECT_EQ(tileLook(plan, 0).caption, "Changed on disk");
}

}  // namespace
}  // namespace shell

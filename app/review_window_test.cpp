// The review window driven as a user would: its starting plan, the choices on a selection, the
// filter, the large view, a run with the substitute turner and a folder changed while open.
#include "app/review_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include "app/large_view.h"
#include "app/testing/review_fixture.h"
#include "transform/turns.h"

namespace {

using K = TransformKind;
using shell::ReviewChoice;
using shell::TileMark;
using windowtest::Review;

QString buttonText(const Review& review) { return review.window->findChild<QPushButton*>("turnPhotos")->text(); }

std::pair<int, int> sizeOf(const QImage& image) { return {image.width(), image.height()}; }

// Four photos: upright by tag 1, by tag 6 (camera held a quarter clockwise), without a tag, and
// one that is no JPEG. Each tile shows the photo as it will look: a quarter counter-clockwise, or
// as it stands when its tag is what makes it upright.
TEST(ReviewWindow, StartsAsTheFolderCommandWouldRunInEitherMode) {
    const struct {
        bool byTag;
        const char* button;
        TileMark marks[4];
        K turns[4];
        std::pair<int, int> sizes[3];
    } modes[] = {
        {false, "&Turn 3 photos", {TileMark::Changes, TileMark::Changes, TileMark::Changes, TileMark::Refused},
         {K::Rotate270, K::Rotate270, K::Rotate270, K::None}, {{48, 64}, {64, 48}, {48, 64}}},
        {true, "&Turn 1 photo", {TileMark::Stays, TileMark::Changes, TileMark::Stays, TileMark::Refused},
         {K::None, K::None, K::None, K::None}, {{64, 48}, {48, 64}, {64, 48}}},
    };
    for (const auto& mode : modes) {
        Review review;
        review.addPhoto("a.jpg", 1);
        review.addPhoto("b.jpg", 6);
        review.addPhoto("c.jpg", 0);
        testsupport::writeFile(review.folder.file("d broken.jpg"), {'n', 'o'});
        review.open(mode.byTag);
        EXPECT_EQ(buttonText(review), mode.button);
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(review.data(i, Qt::DisplayRole).toString(), QString("abcd"[i]) + (i == 3 ? " broken.jpg" : ".jpg"));
            EXPECT_EQ(review.data(i, ReviewModel::MarkRole).toInt(), static_cast<int>(mode.marks[i])) << i;
            EXPECT_EQ(review.data(i, ReviewModel::TurnRole).toInt(), static_cast<int>(mode.turns[i])) << i;
            if (i < 3) {
                EXPECT_EQ(sizeOf(review.picture(i)), mode.sizes[i]) << i;
            }
        }
        EXPECT_EQ(review.data(1, ReviewModel::UprightRole).toBool(), mode.byTag);
        EXPECT_TRUE(review.data(3, Qt::ToolTipRole).toString().endsWith("Cannot be turned: not a JPEG file."));
    }
}

// The mouse with Shift and Ctrl, the arrows and Ctrl+A pick the photos; each key and button
// changes the plan of those picked, composed with what is planned.
TEST(ReviewWindow, KeysAndButtonsChangeThePlanOfThePickedPhotos) {
    Review review;
    for (int i = 0; i < 5; ++i) review.addPhoto("p" + std::to_string(i) + ".jpg", 1, static_cast<std::uint32_t>(i + 1));
    review.open();
    ReviewWindow& window = *review.window;
    review.click(1);
    review.click(3, Qt::ControlModifier);
    EXPECT_EQ(window.selectedPhotos(), (std::vector<std::size_t>{1, 3}));
    review.click(4, Qt::ShiftModifier);
    EXPECT_EQ(window.selectedPhotos(), (std::vector<std::size_t>{1, 3, 4}));
    QTest::keyClick(window.grid(), Qt::Key_Left);
    EXPECT_EQ(window.selectedPhotos(), (std::vector<std::size_t>{3}));
    QTest::keyClick(window.grid(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(window.selectedPhotos().size(), 5u);
    review.click(2);

    const auto press = [&](const QKeySequence& keys) { QTest::keySequence(window.grid(), keys); };
    const auto trigger = [&](ReviewChoice choice) { window.choiceAction(choice)->trigger(); };
    const struct { std::function<void()> act; K turn; } steps[] = {
        {[&] { press(QKeySequence(Qt::Key_BracketLeft)); }, K::Rotate180},  // left again after the planned left
        {[&] { press(QKeySequence(Qt::CTRL | Qt::Key_L)); }, K::Rotate90},
        {[&] { press(QKeySequence(Qt::Key_BracketRight)); }, K::Rotate180},
        {[&] { press(QKeySequence(Qt::CTRL | Qt::Key_R)); }, K::Rotate270},
        {[&] { press(QKeySequence(Qt::Key_0)); }, K::None},
        {[&] { trigger(ReviewChoice::FlipHorizontally); }, K::FlipHorizontal},
        {[&] { trigger(ReviewChoice::TurnHalf); }, K::FlipVertical},
        {[&] { trigger(ReviewChoice::FlipVertically); }, K::None},
        {[&] { trigger(ReviewChoice::TurnLeft); }, K::Rotate270},
        {[&] { trigger(ReviewChoice::Leave); }, K::None},
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(window.plan().photo(2).planned.turn, step.turn) << turnName(step.turn);
        EXPECT_EQ(review.data(2, ReviewModel::TurnRole).toInt(), static_cast<int>(step.turn));
    }
    EXPECT_EQ(window.plan().photo(1).planned.turn, K::Rotate270) << "the others as they were";
    EXPECT_EQ(buttonText(review), "&Turn 4 photos");
    for (ReviewChoice choice : shell::reviewChoices())
        EXPECT_TRUE(window.grid()->actions().contains(window.choiceAction(choice))) << "in the context menu";

    // Closing with a change of the user's own asks first; No keeps the review open.
    press(QKeySequence(Qt::Key_BracketLeft));
    QTest::keyClick(window.grid(), Qt::Key_Escape);
    EXPECT_EQ(review.messages.questions.size(), 1u);
    EXPECT_TRUE(window.isVisible());
}

// The filter keeps the photos that will change; a photo left as it is goes from it.
TEST(ReviewWindow, TheFilterShowsOnlyThePhotosThatWillChange) {
    Review review;
    review.addPhoto("a.jpg", 6);
    review.addPhoto("b.jpg", 1);
    review.addPhoto("c.jpg", 3);
    review.open(true);
    ReviewWindow& window = *review.window;
    window.findChild<QCheckBox*>("onlyChanging")->click();
    EXPECT_EQ(window.grid()->model()->rowCount(), 2);
    EXPECT_EQ(window.rowOf(1), -1);
    review.click(2);
    QTest::keyClick(window.grid(), Qt::Key_0);
    EXPECT_EQ(window.grid()->model()->rowCount(), 1);
    window.findChild<QCheckBox*>("onlyChanging")->click();
    EXPECT_EQ(window.grid()->model()->rowCount(), 3);
}

// Space shows the photo large as it will look, the arrows step on, Escape goes back to the grid.
TEST(ReviewWindow, SpaceShowsThePhotoLargeAsItWillLookAndEscapeGoesBack) {
    Review review;
    review.addPhoto("a.jpg", 1);
    review.addPhoto("b.jpg", 6);
    review.open();
    ReviewWindow& window = *review.window;
    review.click(0);
    QTest::keyClick(window.grid(), Qt::Key_Space);
    ASSERT_TRUE(window.showingLarge());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.settled(); }, 10000));
    EXPECT_EQ(sizeOf(window.largeView()->picture()), std::make_pair(48, 64)) << "turned a quarter counter-clockwise";
    EXPECT_TRUE(window.largeView()->caption().startsWith("a.jpg  (1 of 2)\nPlanned: a quarter turn counter-clockwise (rotate 270)"));
    QTest::keyClick(window.largeView(), Qt::Key_BracketRight);
    EXPECT_EQ(sizeOf(window.largeView()->picture()), std::make_pair(64, 48)) << "its plan changed: nothing";
    QTest::keyClick(window.largeView(), Qt::Key_Right);
    EXPECT_TRUE(window.largeView()->caption().startsWith("b.jpg  (2 of 2)"));
    QTest::keyClick(window.largeView(), Qt::Key_Escape);
    EXPECT_FALSE(window.showingLarge());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.grid()->currentIndex(), review.at(1));
}

// "Turn N photos" runs the plan; each tile then shows its result, and the message is the folder
// command's. A photo changed on disk after its tile was made is left for the next run, shown
// again as it now is.
TEST(ReviewWindow, TurnsThePlanShowsEachResultAndLeavesAPhotoChangedOnDiskForTheNextRun) {
    Review review;
    review.addPhoto("a.jpg", 1);
    review.addPhoto("b.jpg", 1);
    review.addPhoto("c broken.jpg", 1);
    review.addPhoto("d.jpg", 1);
    review.open();
    ReviewWindow& window = *review.window;
    review.click(3);
    QTest::keyClick(window.grid(), Qt::Key_0);
    testsupport::CameraPhotoSpec other;
    other.width = 40;
    other.height = 30;
    testsupport::writeFile(review.folder.file("b.jpg"), testsupport::makeCameraPhoto(other).jpeg);

    QTest::keyClick(window.grid(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(review.handedNames(), (std::vector<std::string>{"a.jpg", "c broken.jpg"}));
    ASSERT_EQ(review.messages.messages.size(), 1u);
    EXPECT_EQ(review.messages.messages[0].text,
              "\n\n3 files read, of which 1 files successfully rotated\n\n"
              "2 files could not be rotated; the details name each with the reason\n\n");
    EXPECT_NE(review.messages.messages[0].details.find("b.jpg: it changed on disk after it was shown"), std::string::npos)
        << review.messages.messages[0].details;
    const QStringList captions = {review.data(0, ReviewModel::CaptionRole).toString(), review.data(1, ReviewModel::CaptionRole).toString(),
                                  review.data(2, ReviewModel::CaptionRole).toString(), review.data(3, ReviewModel::CaptionRole).toString()};
    EXPECT_EQ(captions, (QStringList{"Turned", "Changed on disk", "Not turned", "Left as it was"}));
    EXPECT_EQ(review.data(0, ReviewModel::TurnRole).toInt(), static_cast<int>(K::None)) << "it is as planned now";
    EXPECT_EQ(sizeOf(review.picture(0)), std::make_pair(48, 64)) << "and shows what it was turned into";

    review.settle();
    EXPECT_EQ(sizeOf(review.picture(1)), std::make_pair(30, 40)) << "shown again as it now is, as it will look";
    EXPECT_EQ(buttonText(review), "&Turn 2 photos") << "b, and the photo refused before, which is planned still";
    window.findChild<QPushButton*>("turnPhotos")->click();
    const std::vector<std::string> handed = review.handedNames();
    EXPECT_EQ(std::vector<std::string>(handed.end() - 2, handed.end()), (std::vector<std::string>{"b.jpg", "c broken.jpg"}));
    EXPECT_EQ(review.data(1, ReviewModel::CaptionRole).toString(), "Turned");
}

// After a run the message offers to undo it: the photos are put back byte for byte, and their
// tiles show them as they were, with the plan they were turned by again.
TEST(ReviewWindow, UndoThisRunPutsBackWhatTheRunTurned) {
    Review review;
    review.addPhoto("a.jpg", 1);
    review.addPhoto("b.jpg", 1, 2);
    const std::vector<std::uint8_t> before = testsupport::readFile(review.folder.file("a.jpg"));
    review.messages.choices = {1};
    review.open(false, true);
    const QImage planned = review.picture(0);
    QTest::keyClick(review.window->grid(), Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(review.messages.buttons.size(), 1u);
    EXPECT_EQ(review.messages.buttons[0], (std::vector<std::string>{"OK", "Undo this run"}));
    EXPECT_EQ(testsupport::readFile(review.folder.file("a.jpg")), before);
    EXPECT_EQ(review.data(0, ReviewModel::CaptionRole).toString(), "Put back");
    EXPECT_EQ(review.data(1, ReviewModel::CaptionRole).toString(), "Put back");
    EXPECT_EQ(review.data(0, ReviewModel::TurnRole).toInt(), static_cast<int>(K::Rotate270)) << "planned again";
    EXPECT_EQ(sizeOf(review.picture(0)), sizeOf(planned)) << "shown as it will look once turned again";
    EXPECT_NE(review.messages.messages.back().details.find("Put back:"), std::string::npos);
    review.settle();
    EXPECT_EQ(buttonText(review), "&Turn 2 photos");
}

// A folder reviewed again after a run: the photos the run turned, as it left them, are planned to
// stay as they are, and their tooltip says why.
TEST(ReviewWindow, PhotosAnEarlierRunTurnedStayAsTheyAre) {
    Review review;
    review.addPhoto("a.jpg", 1);
    review.addPhoto("b.jpg", 1, 2);
    review.messages.choices = {0};
    review.open(false, true);
    review.click(1);
    QTest::keyClick(review.window->grid(), Qt::Key_0);
    QTest::keyClick(review.window->grid(), Qt::Key_Return, Qt::ControlModifier);
    review.open(false, true);
    EXPECT_EQ(review.data(0, ReviewModel::TurnRole).toInt(), static_cast<int>(K::None));
    EXPECT_NE(review.data(0, Qt::ToolTipRole).toString().indexOf("An earlier run turned it on "), -1);
    EXPECT_EQ(review.data(1, ReviewModel::TurnRole).toInt(), static_cast<int>(K::Rotate270)) << "left by that run";
}

}  // namespace

#include "workflow/run_undo.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "jpegfile/photo_record.h"
#include "platform/status_line.h"
#include "tests/support/camera_photo.h"
#include "tests/support/xmp_builder.h"
#include "transform/turns.h"
#include "workflow/rotate_jpeg_file.h"
#include "workflow/run_engine.h"
#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;
using K = TransformKind;

class Undo : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("XDG_STATE_HOME");
        ::unsetenv("XDG_DATA_HOME");
    }

    // The plan's results, as the engine hands them back; `lastRun` names its journal.
    std::vector<RotateResult> run(const Plan& plan) {
        RunEngine engine(2);
        std::vector<RotateResult> results;
        RunHooks hooks;
        paths.clear();
        hooks.onResult = [&](const PlannedPhoto& planned, const RotateResult& result) {
            paths.push_back(planned.path);
            results.push_back(result);
        };
        engine.run(
            plan,
            [&](const PlannedPhoto& photo, const RunContext& context) {
                TurnSettings settings;
                settings.run = context;
                platform::SilentStatusLine quiet;
                return turnPlannedPhoto(photo, options, settings, quiet);
            },
            hooks);
        EXPECT_EQ(engine.journalNote(), "");
        lastRun = engine.journalName();
        return results;
    }
    RotateResult turn(const std::string& path, K kind, bool byTag = false) {
        const std::vector<RotateResult> results = run({plannedFor(path, kind, byTag)});
        EXPECT_EQ(results.size(), 1u);
        return results.empty() ? RotateResult{} : results[0];
    }
    std::vector<RotateResult> undo(const std::string& name) {
        const Result<Plan> plan = undoPlanOf(name, listRuns());
        EXPECT_TRUE(plan.ok()) << plan.refusal().text();
        return plan.ok() ? run(plan.value()) : std::vector<RotateResult>{};
    }
    std::string photo(const std::string& name, const Bytes& bytes) {
        const std::string path = dir.file(name);
        writeFile(path, bytes);
        platform::setFileTimes(path, kOldTimes);
        return path;
    }

    TempDir state, data, dir;
    ProcessingOptions options;
    std::string lastRun;
    std::vector<std::string> paths;  // of the last run's results
};

PhotoInfo infoOf(const Bytes& jpeg) {
    const Result<PhotoRecord> record = readPhotoRecord(jpeg.data(), jpeg.size(), "photo.jpg");
    return record.ok() ? record.value().info : PhotoInfo{};
}

// Every turn, fixed or upright by the tag, undone by its inverse: the picture coefficient for
// coefficient, the Orientation and the stated size as they were, the times too.
TEST_F(Undo, EveryTurnIsUndoneByItsInverse) {
    struct Row {
        K kind;
        int orientation;  // 0: the fixed turn `kind`; else upright by this tag
    };
    std::vector<Row> rows;
    for (K kind : {K::Rotate90, K::Rotate180, K::Rotate270, K::FlipHorizontal, K::FlipVertical, K::Transpose, K::Transverse})
        rows.push_back({kind, 0});
    for (int orientation = 2; orientation <= 8; ++orientation) rows.push_back({K::None, orientation});
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(turnName(row.kind)) + " / orientation " + std::to_string(row.orientation));
        CameraPhotoSpec recipe;
        recipe.orientation = row.orientation == 0 ? 6 : row.orientation;
        const Bytes original = makeCameraPhoto(recipe).jpeg;
        const std::string path = photo("p.jpg", original);
        ASSERT_TRUE(turn(path, row.kind, row.orientation != 0).rotated());
        const std::vector<RotateResult> undone = undo(lastRun);
        ASSERT_EQ(undone.size(), 1u);
        EXPECT_EQ(undone[0].putBack, "by the inverse turn") << refusalText(undone[0]);
        EXPECT_TRUE(hasTimes(path, kOldTimes));
        const Bytes back = readFile(path);
        expectSameImage(back, original);
        const PhotoInfo before = infoOf(original), after = infoOf(back);
        EXPECT_EQ(std::tuple(after.orientation, after.width, after.height),
                  std::tuple(before.orientation, before.width, before.height));
    }
}

// With the original kept it comes back byte for byte with its times, and this run's backup and
// the Trash entry go; an undo run again does nothing more.
TEST_F(Undo, FromTheBackupOrTheTrashByteForByteAndOnlyOnce) {
    const Bytes original = makeCameraPhoto({}).jpeg;
    const struct {
        bool backup, trash;
    } rows[] = {{true, false}, {false, true}, {true, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.backup) + std::to_string(row.trash));
        options.Backup = row.backup;
        options.TrashOriginal = row.trash;
        const std::string path = photo("p.jpg", original);
        ASSERT_TRUE(turn(path, K::Rotate90).rotated());
        const std::string turnedRun = lastRun;
        const std::vector<RotateResult> undone = undo(turnedRun);
        ASSERT_EQ(undone.size(), 1u);
        EXPECT_EQ(undone[0].putBack, row.backup ? "from its backup" : "from the Trash");
        EXPECT_TRUE(hasTimes(path, kOldTimes));
        EXPECT_EQ(readFile(path), original);
        EXPECT_EQ(listFolder(dir.path()), (Names{"p.jpg"}));
        if (row.trash) {
            EXPECT_TRUE(listFolder(data.file("Trash/files")).empty());
            EXPECT_TRUE(listFolder(data.file("Trash/info")).empty());
        }
        const std::vector<RotateResult> again = undo(turnedRun);
        ASSERT_EQ(again.size(), 1u);
        EXPECT_EQ(again[0].outcome, FileOutcome::Skipped);
        EXPECT_EQ(readFile(path), original);
    }
}

// The photo's sidecar comes back with it, whether the photo comes from its kept original or
// by the inverse turn: its orientation and regions as they were, its times too.
TEST_F(Undo, PutsTheSidecarBackWithThePhoto) {
    const std::string packet = xmpPacket(" tiff:Orientation=\"6\"", mwgRegions(64, 48, {{0.25, 0.5, 0.125, 0.25, true, false}}));
    CameraPhotoSpec recipe;
    recipe.orientation = 6;
    recipe.xmp = packet;
    const struct {
        bool byTag, backup;
    } rows[] = {{true, true}, {false, true}, {true, false}, {false, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.byTag) + std::to_string(row.backup));
        options.Backup = row.backup;
        const std::string path = photo("p.jpg", makeCameraPhoto(recipe).jpeg);
        const std::string sidecar = photo("p.xmp", Bytes(packet.begin(), packet.end()));
        ASSERT_TRUE(turn(path, K::Rotate90, row.byTag).rotated());
        ASSERT_NE(readFile(sidecar), Bytes(packet.begin(), packet.end()));
        const std::vector<RotateResult> undone = undo(lastRun);
        ASSERT_EQ(undone.size(), 1u);
        EXPECT_EQ(undone[0].putBack, row.backup ? "from its backup" : "by the inverse turn") << refusalText(undone[0]);
        const Bytes back = readFile(sidecar);
        EXPECT_EQ(std::string(back.begin(), back.end()), packet);
        EXPECT_TRUE(hasTimes(sidecar, kOldTimes, false));
        for (const std::string& name : listFolder(dir.path())) ::unlink(dir.file(name).c_str());
    }
}

// A photo changed since, and one whose edge strip was dropped with no original kept, stay as they are.
TEST_F(Undo, LeavesAChangedPhotoAndATrimmedOneWithoutItsOriginal) {
    CameraPhotoSpec odd;
    odd.width = 60;  // not a whole number of blocks: a quarter turn drops a strip
    odd.height = 44;
    const std::string changed = photo("a.jpg", makeCameraPhoto({}).jpeg), trimmed = photo("b.jpg", makeCameraPhoto(odd).jpeg);
    const std::vector<RotateResult> turned = run({plannedFor(changed, K::Rotate90, false), plannedFor(trimmed, K::Rotate90, false)});
    ASSERT_TRUE(turned[0].rotated() && turned[1].rotated() && turned[1].strip.any());
    Bytes edited = readFile(changed);
    edited.push_back(0);
    writeFile(changed, edited);
    const Bytes trimmedTurned = readFile(trimmed);
    const std::vector<RotateResult> undone = undo(lastRun);
    ASSERT_EQ(undone.size(), 2u);
    const std::size_t first = paths[0] == changed ? 0 : 1;  // the undo's plan is in the journal's order
    EXPECT_EQ(undone[first].reason, RefusalReason::ChangedSinceRun);
    EXPECT_EQ(undone[1 - first].reason, RefusalReason::CannotBeUndone);
    EXPECT_EQ(readFile(changed), edited);
    EXPECT_EQ(readFile(trimmed), trimmedTurned);
}

// A fixed turn finds the photos an earlier run turned and that are unchanged since; an undo
// since, or a change, and it finds none.
TEST_F(Undo, ARerunKnowsThePhotosTurnedBefore) {
    const std::string a = photo("a.jpg", makeCameraPhoto({}).jpeg), b = photo("b.jpg", makeCameraPhoto({}).jpeg);
    const Plan again = {plannedFor(a, K::Rotate270, false), plannedFor(b, K::Rotate270, false)};
    ASSERT_EQ(run(again).size(), 2u);
    const std::string first = lastRun;
    std::vector<EarlierTurn> earlier = turnedBefore(again, listRuns());
    ASSERT_EQ(earlier.size(), 2u);
    EXPECT_EQ(earlierTurnDates(earlier), "on " + listRuns().back().startedText());
    Plan skipping = again;
    skipTurnedBefore(skipping, earlier);
    const std::vector<RotateResult> skipped = run(skipping);
    EXPECT_EQ(skipped[0].outcome, FileOutcome::Skipped);
    undo(first);
    EXPECT_TRUE(turnedBefore(again, listRuns()).empty());
    EXPECT_TRUE(turnedBefore({plannedFor(a, K::Rotate270, true)}, listRuns()).empty()) << "upright runs need no check";
}

}  // namespace

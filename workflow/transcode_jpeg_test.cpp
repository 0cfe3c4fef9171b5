#include "workflow/transcode_jpeg.h"

#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;

TEST(TranscodeNames, OnlyTheThreeTurnsInAnyLetterCase) {
    using K = TransformKind;
    const std::pair<const char*, K> names[] = {{"rotate 90", K::Rotate90}, {"Rotate 180", K::Rotate180},
                                               {"ROTATE 270", K::Rotate270}, {"flip horizontal", K::None},
                                               {"rotate270", K::None}, {nullptr, K::None}};
    for (const auto& [name, kind] : names) EXPECT_EQ(transformKindFromName(name), kind) << (name ? name : "null");
}

TEST(TranscodeFiles, OutputIsTheEnginesTransformWithTheRequestedTrimAndGray) {
    TempDir dir;
    const Bytes source = makeJpeg({37, 21});  // partial iMCUs at both edges
    writeFile(dir.file("in.jpg"), source);
    TranscodeRequest request{dir.file("in.jpg"), dir.file("out.jpg"), TransformKind::Transverse, true, true};
    ASSERT_EQ(transcodeJpegWith(request), 1);
    expectSameImage(readFile(request.output), transformInMemory(source, TransformKind::Transverse, true, true));
}

TEST(TranscodeFiles, DistinctOutputKeepsOrRemovesTheInputAndNeverWidensPermissions) {
    TempDir dir;
    const Bytes source = makeJpeg({48, 32});
    const std::string input = dir.file("a.JPG"), fresh = dir.file("a.jpg"), replaced = dir.file("old.jpg");
    writeFile(input, source);
    writeFile(replaced, {1, 2, 3});
    ASSERT_EQ(::chmod(input.c_str(), 0600), 0);
    ASSERT_EQ(::chmod(replaced.c_str(), 0604), 0);

    // Letter case makes two files: "a.jpg" is a new output, the input stays.
    ASSERT_EQ(transcodeJpeg(input.c_str(), fresh.c_str(), "rotate 270", 1), 1);
    EXPECT_EQ(readFile(input), source);
    EXPECT_EQ(modeOf(fresh), 0600u);  // a new file is as private as its input
    expectSameImage(readFile(fresh), turned(source));

    ASSERT_EQ(transcodeJpeg(input.c_str(), replaced.c_str(), "rotate 270", 0), 1);
    EXPECT_EQ(listFolder(dir.path()), (Names{"a.jpg", "old.jpg"}));
    EXPECT_EQ(modeOf(replaced), 0604u);  // a replaced file keeps its own bits
    EXPECT_EQ(readFile(replaced), readFile(fresh));
}

// In place the path holds the untouched file or the complete result; a ".bak" gets the original
// once and then keeps it, which is said; a hard link names the same file (were it taken for a distinct input,
// keepInput 0 would remove it).
TEST(TranscodeFiles, InPlaceWithAndWithoutKeepInput) {
    TempDir dir;
    const std::string path = dir.file("photo.jpg"), backup = path + ".bak", link = dir.file("other.jpg");
    const Bytes original = makeJpeg({48, 32});
    writeFile(path, original);
    ASSERT_TRUE(platform::setFileTimes(path, kOldTimes));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(transcodeJpeg(path.c_str(), path.c_str(), "rotate 270", 1), 1);
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(transcodeJpeg(path.c_str(), path.c_str(), "rotate 270", 1), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Pivora: kept the earlier backup " + backup + "\n");
    EXPECT_TRUE(hasTimes(backup, kOldTimes));
    EXPECT_EQ(readFile(backup), original);  // the second run kept the first run's backup
    const Bytes twice = readFile(path);
    expectSameImage(twice, turned(turned(original)));
    EXPECT_EQ(modeOf(path), 0640u);

    ASSERT_EQ(::unlink(backup.c_str()), 0);
    ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
    ASSERT_EQ(transcodeJpeg(link.c_str(), path.c_str(), "rotate 270", 0), 1);
    expectSameImage(readFile(path), turned(twice));
    EXPECT_EQ(readFile(link), twice);
    EXPECT_EQ(listFolder(dir.path()), (Names{"other.jpg", "photo.jpg"}));
}

// Every failure returns 0, says why on the standard error stream, leaves the original byte for
// byte under its own name and no stray file.
TEST(TranscodeFaults, FailuresLeaveThePhotoAsItWas) {
    const Bytes whole = makeJpeg({64, 64}), large = makeJpeg({256, 256});
    // The pass's own tests tell every kind of damage; here each must leave the file as it was.
    const Fault faults[] = {
        {"empty", {}, "Empty input file"},
        {"cut in the image data", Bytes(whole.begin(), whole.begin() + long(whole.size() * 2 / 3)),
         "Premature end of JPEG file"},
        {"folder without write permission", whole, "Pivora: can't write ", RLIM_INFINITY, true},
        {"disk full half way", large, "File too large", large.size() / 3},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.name);
        TempDir dir;
        const std::string path = dir.file("photo.jpg");
        writeFile(path, f.content);
        expectFailure(f, dir.path(), [&] { return transcodeJpeg(path.c_str(), path.c_str(), "rotate 270", 1); });
        EXPECT_EQ(readFile(path), f.content);
        EXPECT_EQ(listFolder(dir.path()), (Names{"photo.jpg"}));
    }
    TempDir dir;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(transcodeJpeg(dir.file("gone.jpg").c_str(), dir.file("out.jpg").c_str(), "rotate 270", 0), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Pivora: can't open " + dir.file("gone.jpg") + "\n");
    EXPECT_TRUE(listFolder(dir.path()).empty());
}

}  // namespace

#include "workflow/transcode_jpeg.h"

#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;

// The request as the console makes it: every marker copied, untrimmed, full colour.
TranscodeRequest turnOf(const std::string& input, const std::string& output) {
    return TranscodeRequest{input, output, TransformKind::Rotate270};
}

TEST(TranscodeFiles, OutputIsTheEnginesTransformWithTheRequestedTrimAndGray) {
    TempDir dir;
    const Bytes source = makeJpeg({37, 21});  // partial iMCUs at both edges
    writeFile(dir.file("in.jpg"), source);
    TranscodeRequest request{dir.file("in.jpg"), dir.file("out.jpg"), TransformKind::Transverse, true, true};
    ASSERT_TRUE(transcodeJpegWith(request).ok());
    expectSameImage(readFile(request.output), transformInMemory(source, TransformKind::Transverse, true, true));
}

TEST(TranscodeFiles, DistinctOutputKeepsTheInputAndNeverWidensPermissions) {
    TempDir dir;
    const Bytes source = makeJpeg({48, 32});
    const std::string input = dir.file("a.JPG"), fresh = dir.file("a.jpg"), replaced = dir.file("old.jpg");
    writeFile(input, source);
    writeFile(replaced, {1, 2, 3});
    ASSERT_EQ(::chmod(input.c_str(), 0600), 0);
    ASSERT_EQ(::chmod(replaced.c_str(), 0604), 0);

    // Letter case makes two files: "a.jpg" is a new output, the input stays.
    ASSERT_TRUE(transcodeJpegWith(turnOf(input, fresh)).ok());
    EXPECT_EQ(readFile(input), source);
    EXPECT_EQ(modeOf(fresh), 0600u);  // a new file is as private as its input
    expectSameImage(readFile(fresh), turned(source));

    ASSERT_TRUE(transcodeJpegWith(turnOf(input, replaced)).ok());
    EXPECT_EQ(listFolder(dir.path()), (Names{"a.JPG", "a.jpg", "old.jpg"}));
    EXPECT_EQ(modeOf(replaced), 0604u);  // a replaced file keeps its own bits
    EXPECT_EQ(readFile(replaced), readFile(fresh));
}

// In place the path holds the untouched file or the complete result; a ".bak" gets the original
// once and then keeps it, which is said; a hard link names the same file, in place too.
TEST(TranscodeFiles, InPlaceKeepsTheFirstOriginalAsBackup) {
    TempDir dir;
    const std::string path = dir.file("photo.jpg"), backup = path + ".bak", link = dir.file("other.jpg");
    const Bytes original = makeJpeg({48, 32});
    writeFile(path, original);
    ASSERT_TRUE(platform::setFileTimes(path, kOldTimes));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(transcodeJpegWith(turnOf(path, path)).ok());
    const Result<TranscodeDone> second = transcodeJpegWith(turnOf(path, path));
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(second.value().earlierBackup, backup);
    EXPECT_TRUE(hasTimes(backup, kOldTimes));
    EXPECT_EQ(readFile(backup), original);  // the second run kept the first run's backup
    const Bytes twice = readFile(path);
    expectSameImage(twice, turned(turned(original)));
    EXPECT_EQ(modeOf(path), 0640u);

    ASSERT_EQ(::unlink(backup.c_str()), 0);
    ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
    ASSERT_TRUE(transcodeJpegWith(turnOf(link, path)).ok());
    expectSameImage(readFile(path), turned(twice));
    EXPECT_EQ(readFile(link), twice);
    EXPECT_EQ(listFolder(dir.path()), (Names{"other.jpg", "photo.jpg", "photo.jpg.bak"}));
}

// Every failure is refused with why, leaves the original byte for byte under its own name and
// no stray file.
TEST(TranscodeFaults, FailuresLeaveThePhotoAsItWas) {
    const Bytes whole = makeJpeg({64, 64}), large = makeJpeg({256, 256});
    // The pass's own tests tell every kind of damage; here each must leave the file as it was.
    const Fault faults[] = {
        {"empty", {}, "Empty input file"},
        {"cut in the image data", Bytes(whole.begin(), whole.begin() + long(whole.size() * 2 / 3)),
         "Premature end of JPEG file"},
        {"folder without write permission", whole, "no permission to write", RLIM_INFINITY, true},
        {"disk full half way", large, "File too large", large.size() / 3},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.name);
        TempDir dir;
        const std::string path = dir.file("photo.jpg");
        writeFile(path, f.content);
        expectFailure(f, dir.path(), [&] {
            const Result<TranscodeDone> done = transcodeJpegWith(turnOf(path, path));
            if (!done.ok()) std::fprintf(stderr, "%s\n", done.refusal().detail.c_str());
            return done.ok() ? 1 : 0;
        });
        EXPECT_EQ(readFile(path), f.content);
        EXPECT_EQ(listFolder(dir.path()), (Names{"photo.jpg"}));
    }
    TempDir dir;
    const Result<TranscodeDone> gone = transcodeJpegWith(turnOf(dir.file("gone.jpg"), dir.file("out.jpg")));
    ASSERT_FALSE(gone.ok());
    EXPECT_EQ(gone.refusal().reason, RefusalReason::CannotRead);
    EXPECT_TRUE(listFolder(dir.path()).empty());
}

}  // namespace

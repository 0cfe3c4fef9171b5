// A photo's XMP sidecar goes with it through the turn, all or nothing, and the orientations a
// photo states are settled before it is turned.

#include <sys/stat.h>

#include <string>

#include "tests/support/camera_photo.h"
#include "tests/support/xmp_builder.h"
#include "workflow/rotate_jpeg_file.h"
#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;
using K = TransformKind;

std::string text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// The packet of the photo's XMP segment.
std::string embeddedXmp(const Bytes& jpeg) {
    for (const ExtraMarker& marker : listMarkers(jpeg))
        if (marker.code == 0xE1 && text(marker.data).rfind("http://ns.adobe.com/xap/1.0/", 0) == 0)
            return text(marker.data).substr(29);
    return "";
}

std::string orientationIn(const std::string& packet) {
    const std::size_t at = packet.find("tiff:Orientation=\"");
    return at == std::string::npos ? "none" : packet.substr(at + 18, 1);
}

const std::string kRegionPacket = xmpPacket("", mwgRegions(64, 48, {{0.25, 0.5, 0.125, 0.25, true, false}}));

class PhotoSidecars : public ::testing::Test {
protected:
    RotateResult rotate(const CameraPhotoSpec& recipe, const std::string& sidecarName, const std::string& sidecar) {
        photo = makeCameraPhoto(recipe);
        writeFile(path, photo.jpeg);
        platform::setFileTimes(path, kOldTimes);
        if (!sidecarName.empty()) {
            writeFile(folder.file(sidecarName), Bytes(sidecar.begin(), sidecar.end()));
            platform::setFileTimes(folder.file(sidecarName), kOldTimes);
        }
        return rotatePhoto(path, options, settings, status);
    }
    void expectUntouched(const std::string& sidecarName, const std::string& sidecar) {
        EXPECT_EQ(readFile(path), photo.jpeg);
        EXPECT_TRUE(hasTimes(path, kOldTimes, false));
        EXPECT_EQ(text(readFile(folder.file(sidecarName))), sidecar);
        EXPECT_FALSE(fileExists(path + ".bak"));
    }

    TempDir folder;
    const std::string path = folder.file("photo.jpg");
    CameraPhoto photo;
    ProcessingOptions options;
    TurnSettings settings;
    platform::SilentStatusLine status;
};

class SidecarNames : public PhotoSidecars, public ::testing::WithParamInterface<const char*> {};

// Under either name the sidecar is edited as the photo's own packet is, kept as NAME.bak beside
// it with the photo's, and keeps its times.
TEST_P(SidecarNames, AreTurnedWithThePhotoAndBackedUpBesideIt) {
    CameraPhotoSpec recipe;
    recipe.xmp = kRegionPacket;
    options.Backup = 1;
    settings.kind = K::Rotate90;
    const RotateResult result = rotate(recipe, GetParam(), kRegionPacket);
    ASSERT_TRUE(result.rotated()) << refusalText(result);
    const std::string sidecar = folder.file(GetParam()), turned = text(readFile(sidecar));
    EXPECT_NE(turned, kRegionPacket);
    EXPECT_EQ(turned, embeddedXmp(readFile(path)));
    EXPECT_EQ(text(readFile(sidecar + ".bak")), kRegionPacket);
    EXPECT_TRUE(hasTimes(sidecar, kOldTimes, false));
}

INSTANTIATE_TEST_SUITE_P(BothNames, SidecarNames, ::testing::Values("photo.xmp", "photo.JPG.XMP"));

// A sidecar that cannot be replaced (its backup's name is a folder) puts the photo back; one that
// cannot be read refuses it before anything is written; both leave photo and sidecar as they were.
// The Trash then holds the original alone, never the turned photo that was taken back.
TEST_F(PhotoSidecars, ThatCannotBeWrittenOrReadLeavesThePhotoUntouched) {
    CameraPhotoSpec recipe;
    recipe.xmp = kRegionPacket;
    options.Backup = 1;
    options.TrashOriginal = 1;
    TempDir data;
    ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    ASSERT_EQ(::mkdir(folder.file("photo.xmp.bak").c_str(), 0755), 0);
    RotateResult result = rotate(recipe, "photo.xmp", kRegionPacket);
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(int(result.reason), int(RefusalReason::BackupNameTaken)) << refusalText(result);
    EXPECT_NE(result.detail.find("the photo was put back as it was"), std::string::npos) << result.detail;
    expectUntouched("photo.xmp", kRegionPacket);
    EXPECT_EQ(listFolder(folder.path()), (Names{"photo.jpg", "photo.xmp", "photo.xmp.bak"}));
    for (const std::string& name : listFolder(data.file("Trash/files")))
        EXPECT_EQ(readFile(data.file("Trash/files/" + name)), photo.jpeg) << name;

    const std::string broken = "<x:xmpmeta xmlns:tiff='http://ns.adobe.com/tiff/1.0/'><unclosed></x:xmpmeta>";
    result = rotate(recipe, "photo.jpg.xmp", broken);
    EXPECT_EQ(int(result.reason), int(RefusalReason::UnreadableMetadata)) << refusalText(result);
    EXPECT_NE(result.detail.find("photo.jpg.xmp"), std::string::npos) << result.detail;
    expectUntouched("photo.jpg.xmp", broken);
}

// NAME.xmp beside a raw file of the same name may be the raw file's: it is left, and said so.
TEST_F(PhotoSidecars, SharedWithARawFileIsLeftAlone) {
    writeFile(folder.file("photo.CR2"), {'r', 'a', 'w'});
    CameraPhotoSpec recipe;
    recipe.xmp = kRegionPacket;
    const RotateResult result = rotate(recipe, "photo.xmp", kRegionPacket);
    ASSERT_TRUE(result.rotated()) << refusalText(result);
    EXPECT_EQ(text(readFile(folder.file("photo.xmp"))), kRegionPacket);
    EXPECT_NE(result.metadataNote.find("'photo.xmp' was left as it was"), std::string::npos) << result.metadataNote;
}

struct Disagreement {
    int exif, xmp, sidecar;  // the orientations stated; 0: none
    K turn;                  // the stored turn --auto makes
    const char* note;
};

// --auto follows the Exif orientation, or the XMP's where Exif states none, sets every one to 1,
// and says which disagreed.
TEST_F(PhotoSidecars, DisagreeingOrientationsFollowExifAndAreAllReset) {
    const Disagreement cases[] = {
        {6, 3, 0, K::Rotate90, "its XMP orientation 3 disagreed with its Exif orientation 6, which was followed"},
        {0, 6, 0, K::Rotate90, "it has no Exif orientation: its XMP orientation 6 was followed"},
        {1, 8, 0, K::None, "its XMP orientation 8 disagreed with its Exif orientation 1"},
        {6, 0, 8, K::Rotate90, "the orientation 8 of its sidecar 'photo.xmp' disagreed with its Exif orientation 6"},
    };
    options.AutoOrient = 1;
    for (const Disagreement& c : cases) {
        SCOPED_TRACE(c.note);
        CameraPhotoSpec recipe;
        recipe.orientation = c.exif;
        const auto stating = [](int orientation) {
            return xmpPacket(orientation ? " tiff:Orientation=\"" + std::to_string(orientation) + "\"" : "");
        };
        recipe.xmp = stating(c.xmp);
        const RotateResult result = rotate(recipe, c.sidecar ? "photo.xmp" : "", stating(c.sidecar));
        ASSERT_TRUE(result.rotated()) << refusalText(result);
        EXPECT_EQ(int(result.turn), int(c.turn));
        EXPECT_NE(result.metadataNote.find(c.note), std::string::npos) << result.metadataNote;
        EXPECT_EQ(orientationIn(embeddedXmp(readFile(path))), c.xmp ? "1" : "none");
        EXPECT_EQ(orientationIn(c.sidecar ? text(readFile(folder.file("photo.xmp"))) : ""), c.sidecar ? "1" : "none");
        ::unlink(folder.file("photo.xmp").c_str());
    }
}

}  // namespace

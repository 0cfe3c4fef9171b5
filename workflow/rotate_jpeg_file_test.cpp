#include "workflow/rotate_jpeg_file.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <optional>

#include "jpegfile/base64.h"
#include "tests/support/camera_photo.h"
#include "tests/support/hand_made.h"
#include "tests/support/multi_picture.h"
#include "workflow/foresight.h"
#include "workflow/run_state.h"
#include "workflow/transcode_test_support.h"

namespace {

using namespace workflowtest;
using K = TransformKind;

const std::time_t kTaken = 1211034600 - 2 * 3600;  // 2008:05:17 14:30:00 read at UTC+2

class RotatePhoto : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("TZ", "PVT-2", 1);
        ::tzset();
    }
    void place(const Bytes& jpeg) {
        writeFile(path, jpeg);
        ASSERT_TRUE(platform::setFileTimes(path, kOldTimes));
    }
    RotateResult rotate(const Bytes& jpeg) {
        place(jpeg);
        return rotatePhoto(path, options, settings, status);
    }
    // The photo is as it was, bytes and times, and nothing but `names` is beside it.
    void expectUntouched(const Bytes& original, const Names& names = {"photo.jpg"}) {
        EXPECT_TRUE(hasTimes(path, kOldTimes));
        EXPECT_EQ(readFile(path), original);
        platform::setFileTimes(path, kOldTimes);  // the test's own read may have moved the access time
        EXPECT_EQ(listFolder(folder.path()), names);
    }

    TempDir folder;
    const std::string path = folder.file("photo.jpg");
    ProcessingOptions options;
    TurnSettings settings;
    platform::SilentStatusLine status;
};

// The application segments and comments of a file, in their order, as code and payload.
std::vector<std::pair<int, Bytes>> applicationSegments(const Bytes& jpeg) {
    std::vector<std::pair<int, Bytes>> segments;
    for (const ExtraMarker& m : listMarkers(jpeg))
        if ((m.code >= 0xE0 && m.code <= 0xEF) || m.code == 0xFE) segments.emplace_back(m.code, m.data);
    return segments;
}

// The Exif payload of a file (its first segment), read as a block in `order`.
ExifBlock exifOf(const Bytes& jpeg, ByteOrder order) {
    ExifBlock block;
    block.order = order;
    block.payload = applicationSegments(jpeg).at(0).second;
    return block;
}

// The thumbnail that ends the block, from `offset` on.
Bytes thumbnailIn(const ExifBlock& block, std::uint32_t offset) {
    return Bytes(block.payload.begin() + 6 + offset, block.payload.end());
}

// The payloads are equal but within the `changed` TIFF offsets [from, to).
void expectSameBlockApart(const Bytes& before, const Bytes& after, std::vector<std::pair<size_t, size_t>> changed) {
    ASSERT_GE(after.size(), before.size() - before.size() / 2);
    for (size_t i = 0; i < std::min(before.size(), after.size()); ++i) {
        bool allowed = std::any_of(changed.begin(), changed.end(), [&](auto range) {
            return i >= 6 + range.first && i < 6 + range.second;
        });
        if (!allowed && before[i] != after[i]) {
            ADD_FAILURE() << "Exif byte " << i << " changed";
            return;
        }
    }
}

// A 3 x 2 RGB thumbnail, and the same turned a quarter counter-clockwise (2 x 3).
const Bytes kRgb = {'A', 'a', 1, 'B', 'b', 2, 'C', 'c', 3, 'D', 'd', 4, 'E', 'e', 5, 'F', 'f', 6};
const Bytes kRgbTurned = {'C', 'c', 3, 'F', 'f', 6, 'B', 'b', 2, 'E', 'e', 5, 'A', 'a', 1, 'D', 'd', 4};

class CameraPhotoTurn : public RotatePhoto, public ::testing::WithParamInterface<ByteOrder> {};

// Main picture and thumbnail turned, the Exif block the same apart from the thumbnail, its length
// and the swapped pixel dimensions, every other segment byte for byte in its order, the times from
// the Exif date, the mode kept, and an earlier backup left as it was.
TEST_P(CameraPhotoTurn, TurnsPictureAndThumbnailAndKeepsEverythingElse) {
    CameraPhotoSpec recipe;
    recipe.order = GetParam();
    recipe.dateText = "2008:05:17 14:30:00";
    const CameraPhoto photo = makeCameraPhoto(recipe);
    options.Backup = 1;
    options.EXIFTimestamp = 1;
    writeFile(path + ".bak", {'o', 'l', 'd'});
    place(photo.jpeg);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const RotateResult result = rotatePhoto(path, options, settings, status);
    ASSERT_TRUE(result.rotated()) << refusalText(result);
    EXPECT_TRUE(result.thumbnailNotTurned.empty()) << result.thumbnailNotTurned;
    EXPECT_TRUE(result.earlierBackupKept);
    EXPECT_EQ(readFile(path + ".bak"), (Bytes{'o', 'l', 'd'}));
    EXPECT_TRUE(hasTimes(path, {{kTaken, 0}, {kTaken, 0}}));
    EXPECT_EQ(modeOf(path), 0640u);

    const Bytes turnedFile = readFile(path);
    expectSameImage(turnedFile, turned(photo.jpeg));
    const auto segments = applicationSegments(turnedFile);
    ASSERT_EQ(segments.size(), 4u);
    EXPECT_EQ(segments[1].second, photo.xmp);
    EXPECT_EQ(segments[2].second, photo.icc);
    EXPECT_EQ(segments[3].second, photo.comment);
    const ExifBlock before = photo.exif, after = exifOf(turnedFile, recipe.order);
    const std::uint32_t thumbnailAt = before.thumbnailOffset;
    expectSameImage(thumbnailIn(after, thumbnailAt), transformInMemory(photo.thumbnail, K::Rotate270, true));
    EXPECT_EQ(after.get32(before.thumbnailLengthValue), after.tiffLength() - thumbnailAt);
    const std::uint32_t width = before.valueOf(before.exif, 0xA002), height = before.valueOf(before.exif, 0xA003);
    EXPECT_EQ(std::make_pair(after.get32(width), after.get32(height)), std::make_pair(480u, 640u));
    expectSameBlockApart(Bytes(before.payload.begin(), before.payload.begin() + 6 + thumbnailAt), after.payload,
                         {{before.thumbnailLengthValue, before.thumbnailLengthValue + 4}, {width, width + 4},
                          {height, height + 4}});
    EXPECT_EQ(listFolder(folder.path()), (Names{"photo.jpg", "photo.jpg.bak"}));
}

// A thumbnail is turned exactly too: where its own size is not a whole number of its blocks, the
// strip its turn drops is told, as its coefficient pass dropped it.
TEST_F(RotatePhoto, AThumbnailsOwnEdgeStripIsTold) {
    const struct {
        K kind;
        int thumbnailWidth, thumbnailHeight;
        int rows, columns;
    } cases[] = {{K::Rotate180, 32, 24, 8, 0}, {K::Rotate270, 36, 32, 0, 4}, {K::Transverse, 36, 24, 8, 4},
                 {K::Transpose, 36, 24, 0, 0}};
    for (const auto& c : cases) {
        CameraPhotoSpec recipe;
        recipe.thumbnailWidth = c.thumbnailWidth;
        recipe.thumbnailHeight = c.thumbnailHeight;
        settings.kind = c.kind;
        const RotateResult result = rotate(makeCameraPhoto(recipe).jpeg);
        ASSERT_TRUE(result.rotated()) << refusalText(result);
        EXPECT_FALSE(result.strip.any()) << "the 64 x 48 picture is whole blocks";
        EXPECT_EQ(std::tuple(result.thumbnailStrip.rows, result.thumbnailStrip.columns), std::tuple(c.rows, c.columns))
            << int(c.kind);
        EXPECT_EQ(result.thumbnailStrip.blockHeight, c.rows || c.columns ? 16 : 0);
    }
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, CameraPhotoTurn, ::testing::Values(ByteOrder::Intel, ByteOrder::Motorola));

struct OrientationCase {
    int orientation;  // -1: no Exif block at all
    std::optional<K> turn;  // none: already upright
};

class TurnByOrientation : public RotatePhoto, public ::testing::WithParamInterface<std::tuple<OrientationCase, ByteOrder>> {};

// Each value turns the photo and its thumbnail upright and then says 1 (the XMP too); values that
// ask for nothing leave the file untouched, bytes and times.
TEST_P(TurnByOrientation, EndsUprightOrIsLeftAlone) {
    const auto [which, order] = GetParam();
    CameraPhotoSpec recipe;
    recipe.order = order;
    recipe.orientation = std::max(which.orientation, 0);
    recipe.withExif = which.orientation >= 0;
    recipe.width = 72;  // 4:2:0 with a partial iMCU column: trimmed by every turn that moves it
    recipe.adjustExif = [](ExifSpec& exif) {  // the pixel dimensions state the picture's own size
        for (ExifEntry& entry : *exif.exif)
            if (entry.tag == 0xA002 || entry.tag == 0xA003) entry = longEntry(entry.tag, {entry.tag == 0xA002 ? 72 : 48});
    };
    const CameraPhoto photo = makeCameraPhoto(recipe);
    options.AutoOrient = 1;
    const RotateResult result = rotate(photo.jpeg);
    if (!which.turn) {
        EXPECT_EQ(int(result.outcome), int(FileOutcome::AlreadyUpright)) << refusalText(result);
        expectUntouched(photo.jpeg);
        return;
    }
    ASSERT_TRUE(result.rotated()) << refusalText(result);
    EXPECT_EQ(int(result.turn), int(*which.turn));
    const Bytes turnedFile = readFile(path);
    expectSameImage(turnedFile, transformInMemory(photo.jpeg, *which.turn, true));
    const ExifBlock before = photo.exif, after = exifOf(turnedFile, order);
    expectSameImage(thumbnailIn(after, before.thumbnailOffset), transformInMemory(photo.thumbnail, *which.turn, true));
    EXPECT_EQ(after.get16(before.valueOf(before.ifd0, 0x0112)), 1);
    EXPECT_EQ(after.get16(before.valueOf(before.ifd1, 0x0112)), 1);
    const Bytes xmpPayload = applicationSegments(turnedFile).at(1).second;
    const std::string xmp(xmpPayload.begin(), xmpPayload.end());
    EXPECT_NE(xmp.find("tiff:Orientation=\"1\""), std::string::npos) << xmp;
    const JpegCoefficients picture = readCoefficients(turnedFile);
    const std::uint32_t width = before.valueOf(before.exif, 0xA002), height = before.valueOf(before.exif, 0xA003);
    EXPECT_EQ(std::make_pair(after.get32(width), after.get32(height)),
              std::make_pair(std::uint32_t(picture.width), std::uint32_t(picture.height)));
}

const OrientationCase kOrientations[] = {{-1, {}},
                                         {0, {}},
                                         {1, {}},
                                         {2, K::FlipHorizontal},
                                         {3, K::Rotate180},
                                         {4, K::FlipVertical},
                                         {5, K::Transpose},
                                         {6, K::Rotate90},
                                         {7, K::Transverse},
                                         {8, K::Rotate270},
                                         {9, {}}};

INSTANTIATE_TEST_SUITE_P(EveryValue, TurnByOrientation,
                         ::testing::Combine(::testing::ValuesIn(kOrientations),
                                            ::testing::Values(ByteOrder::Intel, ByteOrder::Motorola)));

// Legal but unusual: fill bytes before markers, stray bytes behind the XMP segment (kept there),
// a placeholder date (times restored), a damaged thumbnail (the photo turns, the thumbnail stays
// and the result says why). A thumbnail turned in place is the thumbnail replacement's test; a
// JFIF header kept and none added, the JFIF test below and the segment counts above.
TEST_F(RotatePhoto, UnusualButLegalPhotosTurnWithoutLosingAnything) {
    options.EXIFTimestamp = 1;
    CameraPhotoSpec recipe;
    recipe.dateText = "0000:00:00 00:00:00";
    CameraPhoto photo = makeCameraPhoto(recipe);
    Bytes filled = photo.jpeg;
    filled.insert(filled.begin() + 2, 6, 0xFF);  // before the Exif APP1
    const Bytes xmpAndStrays = handmade::join(photo.xmp, {'\r', '\n'});
    filled.insert(std::search(filled.begin(), filled.end(), photo.xmp.begin(), photo.xmp.end()) + long(photo.xmp.size()),
                  {'\r', '\n'});  // a packet two bytes longer than its segment says
    RotateResult result = rotate(filled);
    ASSERT_TRUE(result.rotated()) << refusalText(result);
    EXPECT_TRUE(result.thumbnailNotTurned.empty()) << result.thumbnailNotTurned;
    EXPECT_TRUE(hasTimes(path, kOldTimes));
    const Bytes turnedFile = readFile(path);
    EXPECT_NE(std::search(turnedFile.begin(), turnedFile.end(), xmpAndStrays.begin(), xmpAndStrays.end()), turnedFile.end());
    expectSameImage(turnedFile, turned(photo.jpeg));

    recipe = CameraPhotoSpec{};
    recipe.adjustExif = [](ExifSpec& exif) { exif.thumbnail = {0xFF, 0xD8, 0xFF, 0xDB, 0, 4, 1, 2, 0xFF, 0xD9}; };
    photo = makeCameraPhoto(recipe);
    result = rotate(photo.jpeg);
    ASSERT_TRUE(result.rotated()) << refusalText(result);
    EXPECT_FALSE(result.thumbnailNotTurned.empty());

    // A comment between the scans stays, moved in front of the turned picture.
    Bytes between = makeJpeg({32, 32, ColorKind::YCbCr, 2, 2, true});
    between.insert(between.begin() + long(markerPositions(between, 0xDA).at(1)), {0xFF, 0xFE, 0, 4, 'h', 'i'});
    ASSERT_TRUE(rotate(between).rotated());
    EXPECT_EQ(applicationSegments(readFile(path)).back(), std::make_pair(0xFE, Bytes{'h', 'i'}));
    EXPECT_EQ(listFolder(folder.path()), Names{"photo.jpg"});
}

// A JFIF header beside the Exif block stays where it stood, its density and its RGB thumbnail
// turned with the picture; the Exif resolutions change places with the axes.
TEST_F(RotatePhoto, JfifBesideExifStaysWithItsDensityAndThumbnailTurned) {
    CameraPhotoSpec recipe;
    recipe.adjustExif = [](ExifSpec& exif) {
        for (ExifEntry& entry : exif.ifd0)
            if (entry.tag == 0x011A || entry.tag == 0x011B)
                entry = rationalEntry(entry.tag, {entry.tag == 0x011A ? 300 : 150, 1});
    };
    const CameraPhoto photo = makeCameraPhoto(recipe);
    const Bytes jfif = handmade::join({'J', 'F', 'I', 'F', 0, 1, 2, 1, 0, 72, 0, 96, 3, 2}, kRgb);
    const Bytes jfifSegment = handmade::segment(0xE0, jfif);
    Bytes file = photo.jpeg;
    file.insert(file.begin() + 2, jfifSegment.begin(), jfifSegment.end());
    ASSERT_TRUE(rotate(file).rotated());
    const Bytes turnedFile = readFile(path);
    expectSameImage(turnedFile, turned(photo.jpeg));
    const auto segments = applicationSegments(turnedFile);
    ASSERT_EQ(segments.size(), 5u);
    EXPECT_EQ(segments[0], std::make_pair(0xE0, handmade::join({'J', 'F', 'I', 'F', 0, 1, 2, 1, 0, 96, 0, 72, 2, 3}, kRgbTurned)));
    ExifBlock after;
    after.order = recipe.order;
    after.payload = segments[1].second;
    EXPECT_EQ(after.get32(photo.exif.valueOf(photo.exif.ifd0, 0x011A)), 150u);
    EXPECT_EQ(after.get32(photo.exif.valueOf(photo.exif.ifd0, 0x011B)), 300u);
}

std::string textOf(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// The text between `open` and `close` in `text`.
std::string between(const std::string& text, const std::string& open, const std::string& close) {
    const size_t from = text.find(open), to = text.find(close, from);
    return from == std::string::npos || to == std::string::npos ? "" : text.substr(from + open.size(), to - from - open.size());
}

// Every thumbnail turns with the photo: IFD1's uncompressed strip, Photoshop's (the IPTC data
// beside it byte for byte) and the XMP packet's (base64 broken into lines as Adobe writes it),
// each stating the turned size.
TEST_F(RotatePhoto, EveryKindOfThumbnailTurnsWithThePhoto) {
    const Bytes thumbnail = makeJpeg({32, 24}), turnedThumbnail = transformInMemory(thumbnail, K::Rotate270, true);
    const JpegCoefficients turnedSize = readCoefficients(turnedThumbnail);

    ExifSpec exif = cameraExifSpec(ByteOrder::Intel, {});
    exif.ifd1 = ExifEntries{shortEntry(0x0100, {3}), shortEntry(0x0101, {2}), shortEntry(0x0102, {8, 8, 8}),
                            shortEntry(0x0103, {1}), shortEntry(0x0106, {2}), longEntry(0x0111, {0}),
                            shortEntry(0x0115, {3}), longEntry(0x0117, {18})};
    exif.trailer = kRgb;
    (*exif.ifd1)[5] = longEntry(0x0111, {buildExif(exif).tiffLength() - 18});  // the strip: the block's last bytes

    const Bytes iptc = handmade::join(handmade::text("8BIM\x04\x04\0\0\0\0\0\x05"), {'i', 'p', 't', 'c', '!', 0});
    Bytes header(28, 0);
    header[3] = 1, header[7] = 32, header[11] = 24, header[23] = std::uint8_t(thumbnail.size()), header[25] = 24, header[27] = 1;
    header[22] = std::uint8_t(thumbnail.size() >> 8);
    const std::uint32_t resourceSize = std::uint32_t(28 + thumbnail.size());
    Bytes photoshop = handmade::join(handmade::text("Photoshop 3.0\0"), iptc);
    photoshop = handmade::join(photoshop, {'8', 'B', 'I', 'M', 0x04, 0x0C, 0, 0, 0, 0, std::uint8_t(resourceSize >> 8),
                                           std::uint8_t(resourceSize)});
    photoshop = handmade::join(handmade::join(photoshop, header), thumbnail);
    if (photoshop.size() % 2) photoshop.push_back(0);

    std::string base64 = encodeBase64(thumbnail);
    for (size_t at = 76; at < base64.size(); at += 76 + 5) base64.insert(at, "&#xA;");
    const std::string packet =
        std::string("http://ns.adobe.com/xap/1.0/") + '\0' +
        "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
        "<rdf:Description rdf:about='' xmlns:xmp='http://ns.adobe.com/xap/1.0/' xmlns:G='http://ns.adobe.com/xap/1.0/g/img/'>"
        "<xmp:Thumbnails><rdf:Alt><rdf:li rdf:parseType='Resource'><G:width>32</G:width><G:height>24</G:height>"
        "<G:format>JPEG</G:format><G:image>" + base64 + "</G:image></rdf:li></rdf:Alt></xmp:Thumbnails>"
        "</rdf:Description></rdf:RDF></x:xmpmeta>";

    JpegSpec recipe;
    recipe.writeJfif = false;
    recipe.markers = {{0xE1, buildExif(exif).payload}, {0xE1, Bytes(packet.begin(), packet.end())}, {0xED, photoshop}};
    const Bytes photo = makeJpeg(recipe);
    const RotateResult result = rotate(photo);
    ASSERT_TRUE(result.rotated()) << refusalText(result);
    EXPECT_EQ(result.thumbnailNotTurned, "");
    const auto segments = applicationSegments(readFile(path));
    ASSERT_EQ(segments.size(), 3u);

    const Bytes& strips = segments[0].second;
    EXPECT_EQ(Bytes(strips.end() - 18, strips.end()), kRgbTurned);

    const std::string xmp = textOf(segments[1].second);
    Bytes decoded;
    ASSERT_TRUE(decodeBase64(between(xmp, "<G:image>", "</G:image>"), &decoded));
    expectSameImage(decoded, turnedThumbnail);
    EXPECT_EQ(between(xmp, "<G:width>", "</G:width>"), std::to_string(turnedSize.width));
    EXPECT_EQ(between(xmp, "<G:height>", "</G:height>"), std::to_string(turnedSize.height));

    const Bytes& resources = segments[2].second;
    const size_t thumbnailAt = 14 + iptc.size();
    ASSERT_GT(resources.size(), thumbnailAt + 12 + 28);
    EXPECT_EQ(Bytes(resources.begin() + 14, resources.begin() + long(thumbnailAt)), iptc);
    const unsigned char* data = &resources[thumbnailAt + 12];
    auto field = [&](size_t at) { return std::uint32_t(data[at] << 24 | data[at + 1] << 16 | data[at + 2] << 8 | data[at + 3]); };
    EXPECT_EQ(field(4), std::uint32_t(turnedSize.width));
    EXPECT_EQ(field(8), std::uint32_t(turnedSize.height));
    EXPECT_EQ(field(12), (std::uint32_t(turnedSize.width) * 24 + 31) / 32 * 4);
    const Bytes turnedResource(data + 28, data + 28 + field(20));
    expectSameImage(turnedResource, turnedThumbnail);
}

struct Refusal {
    const char* name;
    Bytes content;
    RefusalReason reason;
};

// Whatever stands against a photo, it is refused with its reason and left as it was.
TEST_F(RotatePhoto, RefusedPhotosAreLeftAsTheyWere) {
    const Bytes good = makeCameraPhoto({}).jpeg;
    const size_t scan = markerPositions(good, 0xDA).at(0);
    Bytes halved(good.begin(), good.begin() + long(scan + (good.size() - scan) / 2));
    halved.insert(halved.end(), {0xFF, 0xD9});
    const size_t exif = markerPositions(good, 0xE1).at(0);
    MultiPicture outside = makeMultiPicture(ultraHdrSpec(ContainerForm::None));
    outside.put32(outside.entriesAt + 16 + 8, std::uint32_t(outside.file.size()));  // the gain map's offset
    const Refusal refusals[] = {
        {"not a JPEG", {'h', 'e', 'l', 'l', 'o'}, RefusalReason::NotJpeg},
        {"cut short in its Exif block", Bytes(good.begin(), good.begin() + long(exif + 100)), RefusalReason::DamagedData},
        {"cut in half, end marker put back", halved, RefusalReason::DamagedData},
        {"Exif block that cannot be walked", patched(good, exif + 10, {'X'}), RefusalReason::UnreadableMetadata},
        {"multi-picture index pointing outside the file", outside.file, RefusalReason::FurtherPicture},
    };
    options.Backup = 1;
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        const RotateResult result = rotate(r.content);
        EXPECT_EQ(int(result.outcome), int(FileOutcome::Refused));
        EXPECT_EQ(reasonText(result.reason), reasonText(r.reason)) << result.detail;
        expectUntouched(r.content);
    }

    place(good);  // another program edits the photo while it is being turned: the edit stays
    settings.beforeReplace = [&] { writeFile(path, {'e', 'd', 'i', 't'}); };
    EXPECT_EQ(int(rotatePhoto(path, options, settings, status).reason), int(RefusalReason::ChangedByOther));
    EXPECT_EQ(readFile(path), (Bytes{'e', 'd', 'i', 't'}));
    EXPECT_EQ(listFolder(folder.path()), Names{"photo.jpg"});

    place(good);  // a cancel stops the photo in hand
    settings.beforeReplace = nullptr;
    std::atomic<int> cancel{1};
    settings.run.cancel = &cancel;
    EXPECT_EQ(int(rotatePhoto(path, options, settings, status).outcome), int(FileOutcome::Cancelled));
    settings.run.cancel = nullptr;
    expectUntouched(good);

    const std::string secondName = folder.file("other.jpg");  // turned under one name, the other would not be
    ASSERT_EQ(::link(path.c_str(), secondName.c_str()), 0);
    EXPECT_EQ(int(rotatePhoto(path, options, settings, status).reason), int(RefusalReason::SeveralNames));
    expectUntouched(good, {"other.jpg", "photo.jpg"});
    ASSERT_EQ(::unlink(secondName.c_str()), 0);

    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);  // protected by its owner: refused even for root
    EXPECT_EQ(int(rotatePhoto(path, options, settings, status).reason), int(RefusalReason::NoPermission));
    expectUntouched(good);
}

// A full disk while an earlier backup exists: the photo and that backup stay byte for byte. A dry
// run changes nothing either.
TEST_F(RotatePhoto, FullDiskAndDryRunChangeNothing) {
    const Bytes good = makeCameraPhoto({}).jpeg;
    options.Backup = 1;
    writeFile(path + ".bak", {'o', 'l', 'd'});
    place(good);
    const ChildOutcome full = runInChild([&] { return int(rotatePhoto(path, options, settings, status).reason); },
                                         good.size() / 2);
    EXPECT_EQ(full.exitCode, int(RefusalReason::WriteFailed)) << full.errors;
    expectUntouched(good, {"photo.jpg", "photo.jpg.bak"});
    EXPECT_EQ(readFile(path + ".bak"), (Bytes{'o', 'l', 'd'}));

    const RotateResult result = foreseenResult(foresee(plannedFor(path, K::Rotate90, false), options));
    EXPECT_TRUE(result.rotated());
    EXPECT_EQ(int(result.turn), int(K::Rotate90));
    expectUntouched(good, {"photo.jpg", "photo.jpg.bak"});
}

// Only a regular file at NAME.bak is an earlier backup. Anything else there refuses the photo,
// untouched, with the reason: turned, it would have no backup anywhere. A dry run foresees it.
TEST_F(RotatePhoto, ABackupNameTakenByNoFileRefusesThePhoto) {
    struct Taker {
        const char* name;
        const char* said;  // in the detail
        std::function<void()> take;
    };
    const Bytes good = makeCameraPhoto({}).jpeg;
    const std::string backup = path + ".bak", other = folder.file("other.jpg");
    const Taker takers[] = {
        {"a dangling symbolic link", "a symbolic link", [&] { ::symlink("missing.jpg", backup.c_str()); }},
        {"a symbolic link to a file", "a symbolic link",
         [&] { writeFile(other, {'o'}), ::symlink("other.jpg", backup.c_str()); }},
        {"a folder", "a folder", [&] { ::mkdir(backup.c_str(), 0755); }},
        {"a pipe", "a pipe", [&] { ::mkfifo(backup.c_str(), 0644); }},
    };
    options.Backup = 1;
    for (const Taker& t : takers) {
        SCOPED_TRACE(t.name);
        place(good);
        t.take();
        struct stat before {}, after {};
        ASSERT_EQ(::lstat(backup.c_str(), &before), 0);
        EXPECT_EQ(int(foresee(plannedFor(path, K::Rotate90, false), options).refusal.reason),
                  int(RefusalReason::BackupNameTaken));
        const RotateResult result = rotatePhoto(path, options, settings, status);
        EXPECT_EQ(int(result.reason), int(RefusalReason::BackupNameTaken)) << refusalText(result);
        EXPECT_NE(result.detail.find(t.said), std::string::npos) << result.detail;
        EXPECT_TRUE(::lstat(backup.c_str(), &after) == 0 && after.st_ino == before.st_ino);
        expectUntouched(good, fileExists(other) ? Names{"other.jpg", "photo.jpg", "photo.jpg.bak"}
                                                : Names{"photo.jpg", "photo.jpg.bak"});
        ::unlink(other.c_str()), ::unlink(backup.c_str()), ::rmdir(backup.c_str());
    }
}

}  // namespace

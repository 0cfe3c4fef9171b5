// pivora-cli --info: one JSON line per photo, keyed by the PhotoInfo field names; what cannot be
// read is named on standard error, off the JSON stream.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/cli_process.h"
#include "tests/support/camera_photo.h"
#include "tests/support/files.h"
#include "tests/support/multi_picture.h"

namespace {

using namespace testsupport;
using clitest::runCli;

void expectMembers(const std::string& json, const std::vector<std::string>& members) {
    for (const std::string& member : members) EXPECT_NE(json.find(member), std::string::npos) << member << "\nin " << json;
}

TEST(CliInfo, CameraPhotoPrintsOneJsonLineWithItsValuesOrItsEntries) {
    TempDir dir;
    CameraPhotoSpec recipe;
    recipe.order = ByteOrder::Motorola;
    const CameraPhoto photo = makeCameraPhoto(recipe);
    writeFile(dir.file("a.jpg"), photo.jpeg);
    clitest::CliRun run = runCli({"--info", dir.file("a.jpg")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
    expectMembers(run.out, {"{\"fileName\":\"" + dir.file("a.jpg") + "\",", "\"cameraMake\":\"Velmora\"", "\"cameraModel\":\"PV-1 Zoom\"",
                            "\"dateTime\":\"2008:05:17 14:29:58\"", "\"dateTimeCount\":3", "\"width\":64", "\"height\":48",
                            "\"processName\":\"Baseline\"", "\"orientation\":1", "\"exposureTime\":0.004", "\"apertureFNumber\":2.8",
                            "\"isoEquivalent\":200", "\"focalLength\":6.3", "\"flashUsed\":16", "\"meteringMode\":5", "\"whiteBalance\":0",
                            "\"thumbnailOffset\":" + std::to_string(photo.exif.thumbnailOffset) + ",",
                            "\"thumbnailSize\":" + std::to_string(photo.thumbnail.size()) + ",", "\"thumbnailAtEnd\":1",
                            "\"thumbnailSizeOffset\":" + std::to_string(photo.exif.thumbnailLengthValue) + ",", "\"gpsInfoPresent\":1",
                            "\"gpsLat\":\"N 52d 22m  5.12s\"", "\"gpsLong\":\"E 13d 24m  3.000s\"", "\"gpsAlt\":\" 123m\"",
                            "\"comments\":\"Pivora test photo 1\"", "\"coding\":\"baseline\",\"restartInterval\":0,",
                            "\"segments\":[\"Exif\",\"XMP\",\"ICC profile\",\"COM\"],\"furtherPictures\":0,\"trailingBytes\":0,",
                            "\"messages\":[]}\n"});

    MultiPictureSpec multi = ultraHdrSpec(ContainerForm::Elements);  // a gain map and a video behind the picture
    multi.primary.progressive = true;
    multi.primary.restartInterval = 2;
    multi.video = Bytes(300, 0x5A);
    const MultiPicture picture = makeMultiPicture(multi);
    writeFile(dir.file("b.jpg"), picture.file);
    run = runCli({"--info", dir.file("b.jpg")});
    expectMembers(run.out, {"\"coding\":\"progressive\",\"restartInterval\":2,", "\"furtherPictures\":1,",
                            "\"trailingBytes\":" + std::to_string(picture.file.size() - picture.firstEnd) + ","});

    run = runCli({"--info", "--tags", dir.file("a.jpg")});  // the entries instead
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.find("{\"fileName\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Exif section in Motorola order\n"), std::string::npos) << run.out;
}

// A grey progressive photo whose first comment is cleaned for display, with an Exif block that
// needs escaping and misleads the reader.
TEST(CliInfo, TextsAreCleanedAndEscapedAndReaderMessagesListed) {
    TempDir dir;
    ExifSpec exif;
    exif.ifd0 = {bytesEntry(0x010F, kExifAscii, {'a', '"', 'b', '\\', 'c', '\n', 0x01, 0xFF, 0xC3, 0xA9, 0xE2, 0x82, 0}),
                 shortEntry(0x0112, {9}), rawEntry(0x8769, kExifLong, 1, 0x7FFFFFFF)};
    JpegSpec jpeg;
    jpeg.progressive = true;
    jpeg.color = ColorKind::Gray;
    jpeg.markers = {{0xE1, buildExif(exif).payload},
                    {0xFE, {'a', '\r', '\n', 'b', '\r', 7}},
                    {0xFE, {'s', 'e', 'c', 'o', 'n', 'd'}}};
    writeFile(dir.file("odd.jpg"), makeJpeg(jpeg));
    clitest::CliRun run = runCli({"--info", dir.file("odd.jpg")});
    EXPECT_EQ(run.status, 0);
    expectMembers(run.out, {"\"cameraMake\":\"a\\\"b\\\\c\\n\\u0001\\u00ff\xC3\xA9\\u00e2\\u0082\"", "\"orientation\":0",
                            "\"isColor\":0", "\"process\":194", "\"comments\":\"a\\nb??\"",
                            "\"messages\":[\"Undefined rotation value 9\",\"Illegal exif or interop ofset directory link\"]}"});
    // An independent reader takes the line as JSON and gets the text back, each byte that is not
    // UTF-8 as the Latin-1 character of its value.
    const nlohmann::json parsed = nlohmann::json::parse(run.out);
    EXPECT_EQ(parsed["cameraMake"], "a\"b\\c\n\x01\xC3\xBF\xC3\xA9\xC3\xA2\xC2\x82");
}

// Each failure on standard error, the other files still reported: the whole path, however long;
// a name that is not UTF-8 in a form that gives back its bytes; a pipe reported without being
// opened (opened, it would wait for a writer for ever).
TEST(CliInfo, FilesThatCannotBeReadAreNamedAndTheOthersStillReportedWholeAndExactly) {
    TempDir dir;
    const std::string folder = dir.file(std::string(200, 'f'));
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string longPath = folder + "/" + std::string(100, 'n') + ".jpg", latin1 = dir.file("caf\xE9.jpg");
    for (const std::string& path : {longPath, latin1}) writeFile(path, makeCameraPhoto(CameraPhotoSpec{}).jpeg);
    writeFile(dir.file("notes.jpg"), {'h', 'e', 'l', 'l', 'o'});
    writeFile(dir.file("empty.jpg"), {0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x03, 'x', 0xFF, 0xD9, 0x00, 0x02});
    ASSERT_EQ(::mkfifo(dir.file("pipe.jpg").c_str(), 0600), 0);
    clitest::CliRun run = runCli({"--info", longPath, dir.file("notes.jpg"), dir.file("missing.jpg"),
                                  dir.file("pipe.jpg"), dir.file("empty.jpg"), latin1});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.rfind("{\"fileName\":\"" + longPath + "\",", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("}\n{\"fileName\":\"" + dir.file("caf\\udce9.jpg") + "\","), std::string::npos) << run.out;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 2) << run.out;
    for (const std::string& said : {dir.file("notes.jpg") + ": not a JPEG file", dir.file("missing.jpg") + ": cannot open",
                                    dir.file("pipe.jpg") + ": not a regular file",
                                    "pivora-cli: Not JPEG: " + dir.file("empty.jpg") + "\n",
                                    dir.file("empty.jpg") + ": no image data"})
        EXPECT_NE(run.err.find(said), std::string::npos) << said << "\nin " << run.err;
}

}  // namespace

// pivora-cli --info: one JSON line per photo, keyed by the PhotoInfo field names.

#include <gtest/gtest.h>

#include <string>

#include "tests/cli_process.h"
#include "tests/support/exif_builder.h"
#include "tests/support/files.h"
#include "tests/support/jpeg_maker.h"

namespace {

using namespace testsupport;
using clitest::runCli;

Bytes photoWith(const std::vector<ExtraMarker>& markers) {
    JpegSpec spec;
    spec.width = 64;
    spec.height = 48;
    spec.markers = markers;
    return makeJpeg(spec);
}

Bytes thumbnailJpeg() {
    JpegSpec spec;
    spec.width = 16;
    spec.height = 16;
    return makeJpeg(spec);
}

Bytes cameraPhoto(ByteOrder order) {
    return photoWith({{0xE1, buildExif(cameraExifSpec(order, thumbnailJpeg())).payload}});
}

int lineCount(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

void expectMembers(const std::string& json, const std::vector<std::string>& members) {
    for (const std::string& member : members) EXPECT_NE(json.find(member), std::string::npos) << member << "\nin " << json;
}

TEST(CliInfo, CameraPhotoInEitherByteOrderPrintsItsValues) {
    TempDir dir;
    for (ByteOrder order : {ByteOrder::Intel, ByteOrder::Motorola}) {
        std::string path = dir.file(order == ByteOrder::Intel ? "intel.jpg" : "motorola.jpg");
        writeFile(path, cameraPhoto(order));
        ExifBlock block = buildExif(cameraExifSpec(order, thumbnailJpeg()));
        clitest::CliRun run = runCli({"--info", path});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(lineCount(run.out), 1) << run.out;
        EXPECT_EQ(run.out.front(), '{');
        expectMembers(run.out, {"{\"fileName\":\"" + path + "\",", "\"cameraMake\":\"Velmora\"", "\"cameraModel\":\"PV-1 Zoom\"",
                                "\"dateTime\":\"2008:05:17 14:29:58\"", "\"dateTimeCount\":3", "\"width\":64", "\"height\":48",
                                "\"process\":192", "\"processName\":\"Baseline\"", "\"isColor\":1", "\"orientation\":1",
                                "\"exposureTime\":0.004", "\"apertureFNumber\":2.8", "\"isoEquivalent\":200",
                                "\"focalLength\":6.3", "\"flashUsed\":16", "\"meteringMode\":5", "\"whiteBalance\":0",
                                "\"thumbnailOffset\":" + std::to_string(block.thumbnailOffset) + ",",
                                "\"thumbnailSize\":" + std::to_string(thumbnailJpeg().size()) + ",",
                                "\"thumbnailAtEnd\":1", "\"thumbnailSizeOffset\":" + std::to_string(block.thumbnailLengthValue) + ",",
                                "\"gpsInfoPresent\":1", "\"gpsLat\":\"N 52d 22m  5.12s\"", "\"gpsLong\":\"E 13d 24m  3.000s\"",
                                "\"gpsAlt\":\" 123m\"", "\"messages\":[]}"});
    }
}

TEST(CliInfo, PhotoWithoutExifShowsTheRecordAsReset) {
    TempDir dir;
    writeFile(dir.file("plain.jpg"), photoWith({{0xFE, {'h', 'e', 'l', 'l', 'o'}}}));
    clitest::CliRun run = runCli({"--info", dir.file("plain.jpg")});
    EXPECT_EQ(run.status, 0);
    expectMembers(run.out, {"\"comments\":\"hello\"", "\"flashUsed\":-1", "\"meteringMode\":-1", "\"whiteBalance\":-1",
                            "\"dateTime\":\"\"", "\"dateTimeOffsets\":[]", "\"gpsInfoPresent\":0", "\"messages\":[]"});
}

TEST(CliInfo, NotAJpegFailsButTheOtherFilesAreStillReported) {
    TempDir dir;
    writeFile(dir.file("a.jpg"), cameraPhoto(ByteOrder::Intel));
    writeFile(dir.file("notes.jpg"), {'h', 'e', 'l', 'l', 'o'});
    writeFile(dir.file("b.jpg"), cameraPhoto(ByteOrder::Motorola));
    clitest::CliRun run = runCli({"--info", dir.file("a.jpg"), dir.file("notes.jpg"), dir.file("missing.jpg"), dir.file("b.jpg")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(dir.file("notes.jpg") + ": not a JPEG file"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(dir.file("missing.jpg") + ": cannot open"), std::string::npos) << run.err;
    EXPECT_EQ(lineCount(run.out), 2) << run.out;
    EXPECT_NE(run.out.find("\"fileName\":\"" + dir.file("a.jpg") + "\""), std::string::npos);
    EXPECT_NE(run.out.find("\"fileName\":\"" + dir.file("b.jpg") + "\""), std::string::npos);
}

TEST(CliInfo, TextsAreEscapedAsJson) {
    TempDir dir;
    ExifSpec s;
    s.ifd0 = {bytesEntry(0x010F, kExifAscii, {'a', '"', 'b', '\\', 'c', '\n', 0x01, 0xFF, 0xC3, 0xA9, 0xE2, 0x82, 0}),
              asciiEntry(0x0110, "tab\there")};
    writeFile(dir.file("odd.jpg"), photoWith({{0xE1, buildExif(s).payload}}));
    clitest::CliRun run = runCli({"--info", dir.file("odd.jpg")});
    EXPECT_EQ(run.status, 0);
    expectMembers(run.out, {"\"cameraMake\":\"a\\\"b\\\\c\\n\\u0001\\u00ff\xC3\xA9\\u00e2\\u0082\"",
                            "\"cameraModel\":\"tab\\there\""});
}

TEST(CliInfo, ReaderMessagesAreListed) {
    TempDir dir;
    ExifSpec s;
    s.ifd0 = {shortEntry(0x0112, {9}), rawEntry(0x8769, kExifLong, 1, 0x7FFFFFFF)};
    writeFile(dir.file("bad.jpg"), photoWith({{0xE1, buildExif(s).payload}}));
    clitest::CliRun run = runCli({"--info", dir.file("bad.jpg")});
    EXPECT_EQ(run.status, 0);
    expectMembers(run.out, {"\"orientation\":0",
                            "\"messages\":[\"Undefined rotation value 9\",\"Illegal exif or interop ofset directory link\"]"});
}

TEST(CliInfo, TagsListsTheEntriesInstead) {
    TempDir dir;
    writeFile(dir.file("a.jpg"), cameraPhoto(ByteOrder::Intel));
    clitest::CliRun run = runCli({"--info", "--tags", dir.file("a.jpg")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.find("{\"fileName\""), std::string::npos);
    expectMembers(run.out, {"Exif section in Intel order\n", "    Make = \"Velmora\"\n", "        FNumber = 28/10\n",
                            "Thumbnail size: "});
}

TEST(CliInfo, UsageErrors) {
    EXPECT_EQ(runCli({"--info"}).status, 2);
    EXPECT_EQ(runCli({"--info", "--bogus", "x.jpg"}).status, 2);
}

}  // namespace

#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/console_text.h"
#include "cli/json_text.h"
#include "cli/verb_arguments.h"
#include "exif/tag_names.h"
#include "jpegfile/photo_record.h"
#include "jpegfile/picture_layout.h"
#include "platform/source_file.h"
#include "workflow/photo_header.h"

namespace {

// One JSON object, built member by member.
class JsonObject {
public:
    void add(const char* key, const std::string& json) {
        text_ += text_.empty() ? "{" : ",";
        text_ += jsonString(key) + ":" + json;
    }
    void add(const char* key, long long number) { add(key, std::to_string(number)); }
    void add(const char* key, float number) { add(key, jsonNumber(number)); }
    std::string close() const { return text_ + "}"; }

private:
    std::string text_;
};

#define FIELD_TEXT(name) object.add(#name, jsonField(info.name, sizeof info.name))
#define FIELD(name) object.add(#name, info.name)
#define FIELD_INT(name) object.add(#name, static_cast<long long>(info.name))

std::string dateOffsetsJson(const PhotoInfo& info) {
    std::string list = "[";
    for (int i = 0; i < info.dateTimeCount && i < kMaxDateTimeOffsets; ++i)
        list += (i ? "," : "") + std::to_string(info.dateTimeOffsets[i]);
    return list + "]";
}

std::string messagesJson(const ReaderNotes& notes) {
    std::string list = "[";
    for (const std::string& message : notes.messages()) list += (list.size() > 1 ? "," : "") + jsonString(message);
    return list + "]";
}

std::string textListJson(const std::vector<std::string>& texts) {
    std::string list = "[";
    for (const std::string& text : texts) list += (list.size() > 1 ? "," : "") + jsonString(text);
    return list + "]";
}

// What the file holds beyond its Exif block: its coding, its segments by kind, the pictures its
// multi-picture index lists after the first, and the bytes after the first picture.
void addLayout(JsonObject& object, const std::vector<unsigned char>& bytes) {
    const PictureLayout layout = pictureLayout(bytes.data(), bytes.size());
    object.add("coding", jsonString(codingName(layout.frameMarker)));
    object.add("restartInterval", static_cast<long long>(layout.restartInterval));
    object.add("segments", textListJson(layout.segments));
    object.add("furtherPictures", static_cast<long long>(layout.furtherPictures));
    object.add("trailingBytes", layout.pictureEnd ? static_cast<long long>(bytes.size() - layout.pictureEnd) : -1LL);
}

std::string photoInfoJson(const PhotoRecord& record, const std::string& path, const std::vector<unsigned char>& bytes) {
    const PhotoInfo& info = record.info;
    JsonObject object;
    object.add("fileName", jsonPath(path));  // whole, where the record's field would cut it
    FIELD_TEXT(cameraMake);
    FIELD_TEXT(cameraModel);
    FIELD_TEXT(dateTime);
    FIELD_INT(height);
    FIELD_INT(width);
    FIELD_INT(orientation);
    FIELD_INT(isColor);
    FIELD_INT(process);
    const char* process = processName(info.process);
    object.add("processName", process ? jsonString(process) : "null");
    FIELD_INT(flashUsed);
    FIELD(focalLength);
    FIELD(exposureTime);
    FIELD(apertureFNumber);
    FIELD(distance);
    FIELD(ccdWidth);
    FIELD(exposureBias);
    FIELD(digitalZoomRatio);
    FIELD_INT(focalLength35mm);
    FIELD_INT(whiteBalance);
    FIELD_INT(meteringMode);
    FIELD_INT(exposureProgram);
    FIELD_INT(exposureMode);
    FIELD_INT(isoEquivalent);
    FIELD_INT(lightSource);
    FIELD_TEXT(comments);
    FIELD_INT(thumbnailOffset);
    FIELD_INT(thumbnailSize);
    FIELD_INT(largestExifOffset);
    FIELD_INT(thumbnailAtEnd);
    object.add("thumbnailPlace", jsonString(thumbnailPlaceName(info.thumbnailPlace)));
    FIELD_INT(thumbnailSizeOffset);
    object.add("dateTimeOffsets", dateOffsetsJson(info));
    FIELD_INT(dateTimeCount);
    FIELD_INT(gpsInfoPresent);
    FIELD_TEXT(gpsLat);
    FIELD_TEXT(gpsLong);
    FIELD_TEXT(gpsAlt);
    addLayout(object, bytes);
    object.add("messages", messagesJson(record.notes));
    return object.close();
}

#undef FIELD_TEXT
#undef FIELD
#undef FIELD_INT

// The photograph's segments up to the start of scan, read as the rotation reads them: the
// segments record the frame and the first comment, the Exif reader the rest. Anything but a
// regular file is refused without being opened for reading, and a file that is no JPEG is known
// from its first bytes; only a photo is read whole, for what lies behind its picture.
Result<PhotoRecord> readMetadata(const std::string& path, std::vector<unsigned char>& bytes) {
    platform::SourceFile source;
    std::string error;
    if (source.open(path, &error, platform::SourceFile::Locking::None) != platform::SourceFile::Status::Ok)
        return refuse(RefusalReason::CannotRead, error);
    Result<PhotoRecord> record = readPhotoHeader(source, path);
    if (!record.ok() && record.refusal().reason != RefusalReason::NotJpeg &&
        record.refusal().reason != RefusalReason::CannotRead)
        console().note("Not JPEG: " + path);
    if (record.ok() && source.readAll(&bytes, &error) != platform::SourceFile::Status::Ok)
        return refuse(RefusalReason::CannotRead, error);
    return record;
}

std::string failureText(const Refusal& refusal) {
    switch (refusal.reason) {
    case RefusalReason::CannotRead: return refusal.detail;
    case RefusalReason::NotJpeg: return "not a JPEG file";
    default: return refusal.detail == kNoPictureData ? refusal.detail : "cannot read its segments: " + refusal.detail;
    }
}

// The listing's lines, each made safe for a terminal: the values are the file's own bytes.
std::string safeListing(const std::string& listing) {
    std::string safe;
    for (std::size_t at = 0; at < listing.size();) {
        const std::size_t end = std::min(listing.find('\n', at), listing.size());
        safe += consoleText(listing.substr(at, end - at)) + "\n";
        at = end + 1;
    }
    return safe;
}

// Reads one file; prints its JSON line (or, with the listing on, the listing). False on failure.
bool reportFile(const std::string& path, bool listing) {
    if (listing) std::printf("File: %s\n", consoleText(path).c_str());
    std::vector<unsigned char> bytes;
    const Result<PhotoRecord> record = readMetadata(path, bytes);
    std::fflush(stdout);
    if (!record.ok()) {
        console().note(path + ": " + failureText(record.refusal()));
        return false;
    }
    const std::string text = listing ? safeListing(listTags(record.value())) : photoInfoJson(record.value(), path, bytes) + "\n";
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
    return true;
}

}  // namespace

int runInfoCommand(const Arguments& args) {
    CLI::App parser{"", "pivora-cli --info"};
    parser.set_help_flag();
    bool listing = false;
    Arguments files;
    parser.add_flag("--tags", listing);
    parser.add_option("files", files);
    if (int status = parseVerbArguments(parser, args); status >= 0) return status;
    if (files.empty()) return usageError("--info needs at least one file");
    bool allRead = true;
    for (const std::string& path : files) allRead = reportFile(path, listing) && allRead;
    return allRead ? 0 : 1;
}

#include "cli/plan_lines.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <utility>

// Plan lines are written and read with nlohmann-json: a plan file may have been edited by hand
// or by a script, or come from anywhere, and a well-kept JSON library reads hostile text
// soundly, where our own writer (json_text) only writes. The one thing that library cannot
// carry is a path that is not UTF-8: the path is written by jsonPath, as --info writes it, and
// its escapes of stray bytes are taken apart before the library reads the line.
#include <nlohmann/json.hpp>

#include "cli/json_text.h"
#include "transform/turns.h"

namespace {

using Json = nlohmann::ordered_json;

// Far more than a line with the longest path the system takes, escaped throughout, needs.
constexpr std::size_t kMaxLineBytes = 256 * 1024;

const char* outcomeName(FileOutcome outcome) {
    switch (outcome) {
    case FileOutcome::Rotated: return "turn";
    case FileOutcome::AlreadyUpright:
    case FileOutcome::Skipped: return "leave";
    case FileOutcome::Refused:
    case FileOutcome::Cancelled: break;
    }
    return "refuse";
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The value of the four hex digits at `at`, or -1.
long escapeValue(const std::string& text, std::size_t at) {
    if (at + 4 > text.size()) return -1;
    long value = 0;
    for (std::size_t i = at; i < at + 4; ++i) {
        const int digit = hexDigit(text[i]);
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

// The line with every lone low surrogate escape \udc80 to \udcff (a byte of a path that is not
// UTF-8) written as \u0000 and \u00XX instead, which the library reads: a path holds no zero
// byte, so the pair stands for the byte alone (pathBytes). Everything else is left to the library.
std::string withStrayBytesReadable(const std::string& line) {
    std::string out;
    out.reserve(line.size());
    bool inString = false, afterHighSurrogate = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (!inString || c != '\\' || i + 1 == line.size()) {
            if (c == '"') inString = !inString;
            afterHighSurrogate = false;
            out += c;
            continue;
        }
        const long value = line[i + 1] == 'u' ? escapeValue(line, i + 2) : -1;
        if (value >= 0xDC80 && value <= 0xDCFF && !afterHighSurrogate) {
            out += "\\u0000\\u00";
            out.append(line, i + 4, 2);
        } else {
            out.append(line, i, value >= 0 ? 6 : 2);
        }
        afterHighSurrogate = value >= 0xD800 && value <= 0xDBFF;
        i += value >= 0 ? 5 : 1;
    }
    return out;
}

// The path's bytes from the text the library read: a zero followed by U+0080 to U+00FF is that
// byte. False for any other zero: no path holds one.
bool pathBytes(const std::string& text, std::string* path) {
    path->clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\0') {
            *path += text[i];
            continue;
        }
        const unsigned char lead = i + 2 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        const unsigned char next = i + 2 < text.size() ? static_cast<unsigned char>(text[i + 2]) : 0;
        if ((lead != 0xC2 && lead != 0xC3) || next < 0x80 || next > 0xBF) return false;
        *path += static_cast<char>(((lead & 0x03) << 6) | (next & 0x3F));
        i += 2;
    }
    return !path->empty();
}

// One line of `in` without its line feed; false at the end. `*tooLong` when it passes the bound.
bool nextLine(std::FILE* in, std::string* line, bool* tooLong) {
    line->clear();
    int c;
    while ((c = std::getc(in)) != EOF && c != '\n') {
        if (line->size() == kMaxLineBytes) {
            *tooLong = true;
            return true;
        }
        *line += static_cast<char>(c);
    }
    return c != EOF || !line->empty();
}

bool blank(const std::string& line) { return line.find_first_not_of(" \t\r") == std::string::npos; }

bool failed(std::string* why, std::string text) {
    *why = std::move(text);
    return false;
}

// The photo of one line; false with the reason in `*why`.
bool photoOfLine(const std::string& line, PlannedPhoto* photo, std::string* why) {
    const Json object = Json::parse(withStrayBytesReadable(line), nullptr, false);
    if (object.is_discarded() || !object.is_object()) return failed(why, "not a JSON object");
    const auto path = object.find("path");
    if (path == object.end() || !path->is_string() || !pathBytes(path->get_ref<const std::string&>(), &photo->path))
        return failed(why, "no path (a string naming a file)");
    const auto turn = object.find("turn");
    if (turn == object.end() || !turn->is_string()) return failed(why, "no turn (one of: " + turnNameList() + ")");
    if (!turnFromName(turn->get_ref<const std::string&>(), &photo->turn))
        return failed(why, "unknown turn '" + turn->get<std::string>() + "' (one of: " + turnNameList() + ")");
    const auto upright = object.find("upright");
    if (upright == object.end() || !upright->is_boolean()) return failed(why, "no upright (true or false)");
    photo->upright = upright->get<bool>();
    photo->reason = TurnReason::Choice;
    return true;
}

// A key that is the same for every path of a file of one name: turned twice, it would end turned
// by both. A file of several names is refused under each, so its names count apart.
std::pair<dev_t, ino_t> photoKey(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || st.st_nlink != 1) return {0, 0};
    return {st.st_dev, st.st_ino};
}

}  // namespace

std::string planLine(const PlannedPhoto& photo, const RotateResult& foreseen) {
    const bool refused = foreseen.outcome == FileOutcome::Refused;
    // A photo refused before its header was read has no tag to tell of.
    const bool headerRead = !refused || foreseen.orientationBefore != 0;
    PlannedPhoto shown = photo;
    shown.foresight.known = headerRead;
    shown.foresight.orientation = foreseen.orientationBefore;
    Json line;
    line["path"] = nullptr;  // written by jsonPath below
    line["turn"] = turnName(photo.turn);
    line["upright"] = photo.upright;
    line["reason"] = reasonText(shown);
    line["orientation"] = headerRead ? Json(foreseen.orientationBefore) : Json(nullptr);
    line["stored"] = turnName(foreseen.turn);
    line["edgeStrip"] = foreseen.strip.any() ? Json{{"rows", foreseen.strip.rows}, {"columns", foreseen.strip.columns}}
                                             : Json(nullptr);
    line["refusal"] = refused ? Json{{"reason", reasonText(foreseen.reason)}, {"detail", foreseen.detail}} : Json(nullptr);
    line["outcome"] = outcomeName(foreseen.outcome);
    // A detail in the system's words may hold a byte that is not UTF-8: shown as U+FFFD.
    std::string text = line.dump(-1, ' ', false, Json::error_handler_t::replace);
    const std::string placeholder = "{\"path\":null";
    return text.replace(0, placeholder.size(), "{\"path\":" + jsonPath(photo.path));
}

bool readPlanLines(std::FILE* in, Plan* plan, std::string* error) {
    std::map<std::string, std::size_t> lineOfPath;
    std::map<std::pair<dev_t, ino_t>, std::size_t> lineOfFile;
    std::string line;
    bool tooLong = false;
    for (std::size_t number = 1; nextLine(in, &line, &tooLong); ++number) {
        const std::string where = "plan line " + std::to_string(number) + ": ";
        if (tooLong) return failed(error, where + "longer than " + std::to_string(kMaxLineBytes) + " bytes");
        if (blank(line)) continue;
        PlannedPhoto photo;
        std::string why;
        if (!photoOfLine(line, &photo, &why)) return failed(error, where + why);
        const auto key = photoKey(photo.path);
        std::size_t earlier = lineOfPath.emplace(photo.path, number).first->second;
        if (earlier == number && key.second != 0) earlier = lineOfFile.emplace(key, number).first->second;
        if (earlier != number)
            return failed(error, where + "the photo of plan line " + std::to_string(earlier) + " again");
        plan->push_back(std::move(photo));
    }
    if (std::ferror(in)) return failed(error, std::string("the plan cannot be read: ") + std::strerror(errno));
    return true;
}

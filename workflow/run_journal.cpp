#include "workflow/run_journal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include <nlohmann/json.hpp>

#include "platform/pending_file.h"
#include "transform/turns.h"

namespace {

using nlohmann::json;

constexpr const char* kSuffix = ".jsonl";
constexpr int kVersion = 1;

std::string withReason(const std::string& what) { return what + ": " + std::strerror(errno ? errno : EIO); }

bool makeFolders(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const std::string parent = platform::folderOf(path);
    if (parent != path && !makeFolders(parent)) return false;
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

json timeJson(const timespec& time) { return json::array({time.tv_sec, time.tv_nsec}); }

timespec timeOf(const json& value) {
    timespec time{};
    if (value.is_array() && value.size() == 2 && value[0].is_number_integer() && value[1].is_number_integer()) {
        time.tv_sec = value[0].get<std::time_t>();
        time.tv_nsec = value[1].get<long>();
    }
    return time;
}

json markJson(const FileMark& mark) {
    return {{"size", mark.size}, {"mtime", timeJson(mark.modification)}, {"atime", timeJson(mark.access)}, {"hash", mark.hash}};
}

FileMark markOf(const json& value) {
    FileMark mark;
    if (!value.is_object()) return mark;
    mark.size = value.value("size", std::int64_t{0});
    if (value.contains("mtime")) mark.modification = timeOf(value["mtime"]);
    if (value.contains("atime")) mark.access = timeOf(value["atime"]);
    mark.hash = value.value("hash", std::string());
    return mark;
}

TransformKind turnOf(const json& line, const char* key) {
    TransformKind kind = TransformKind::None;
    turnFromName(line.value(key, std::string("none")), &kind);
    return kind;
}

const char* outcomeWord(FileOutcome outcome) {
    switch (outcome) {
    case FileOutcome::Rotated: return "turned";
    case FileOutcome::AlreadyUpright: return "upright";
    case FileOutcome::Skipped: return "skipped";
    case FileOutcome::Refused: return "refused";
    case FileOutcome::Cancelled: break;
    }
    return "cancelled";
}

// UTC, to the microsecond: names sort as the runs began, whatever the time zone.
std::string nameAt(const timespec& now) {
    struct tm utc {};
    ::gmtime_r(&now.tv_sec, &utc);
    char text[40];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &utc);
    char micro[24];
    std::snprintf(micro, sizeof micro, "-%06ld", now.tv_nsec / 1000);
    return std::string(text) + micro;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::vector<std::string> journalNames(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* listing = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(listing)) {
            const std::string name = entry->d_name;
            if (name[0] != '.' && endsWith(name, kSuffix)) names.push_back(name.substr(0, name.size() - 6));
        }
        ::closedir(listing);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void prune(const std::string& folder, std::time_t now) {
    const std::time_t limit = now - static_cast<std::time_t>(kJournalDays) * 24 * 3600;
    for (const std::string& name : journalNames(folder)) {
        const std::string path = folder + "/" + name + kSuffix;
        struct stat st;
        if (::stat(path.c_str(), &st) == 0 && st.st_mtime < limit) ::unlink(path.c_str());
    }
}

void readEntry(const json& line, JournalEntry& entry) {
    entry.photo = line.value("photo", std::string());
    entry.file = line.value("file", entry.photo);
    entry.stored = turnOf(line, "stored");
    entry.seen = turnOf(line, "seen");
    entry.upright = line.value("upright", false);
    entry.orientationBefore = line.value("orientationBefore", 0);
    entry.orientationAfter = line.value("orientationAfter", 0);
    entry.stripDropped = line.value("stripDropped", false);
    entry.backup = line.value("backup", std::string());
    entry.earlierBackup = line.value("earlierBackup", std::string());
    entry.trashFile = line.value("trash", std::string());
    if (line.contains("turned")) entry.turned = markOf(line["turned"]);
    if (line.contains("original")) entry.original = markOf(line["original"]);
    entry.putBack = line.value("putBack", std::string());
}

JournalPhoto& photoOf(JournalRun& run, const std::string& photo) {
    for (JournalPhoto& known : run.photos)
        if (known.entry.photo == photo) return known;
    run.photos.emplace_back();
    run.photos.back().entry.photo = photo;
    return run.photos.back();
}

// One line into the run; false for a line that is no journal line (the last one of a killed run
// may be cut short).
bool readLine(const std::string& text, JournalRun& run) {
    const json line = json::parse(text, nullptr, false);
    if (!line.is_object()) return false;
    const std::string event = line.value("event", std::string());
    if (event == "run") {
        run.started = line.value("started", std::time_t{0});
        run.start.mode = line.value("mode", std::string());
        run.start.turn = turnOf(line, "turn");
        run.start.undoes = line.value("undoes", std::string());
    } else if (event == "replacing") {
        JournalPhoto& photo = photoOf(run, line.value("photo", std::string()));
        readEntry(line, photo.entry);
        photo.announced = true;
    } else if (event == "result") {
        JournalPhoto& photo = photoOf(run, line.value("photo", std::string()));
        photo.outcome = line.value("outcome", std::string());
        photo.reason = line.value("reason", std::string());
        if (photo.entry.file.empty()) photo.entry.file = line.value("file", photo.entry.photo);
    } else if (event == "end") {
        run.ended = true;
        run.cancelled = line.value("cancelled", false);
    }
    return true;
}

std::string counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string journalFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/') return std::string(state) + "/pivora/runs";
    const char* home = std::getenv("HOME");
    return std::string(home && *home == '/' ? home : "/tmp") + "/.local/state/pivora/runs";
}

bool FileMark::mayBe(const struct stat& st) const {
    return st.st_size == size && st.st_mtim.tv_sec == modification.tv_sec && st.st_mtim.tv_nsec == modification.tv_nsec;
}

RunStart runStartOf(const Plan& plan) {
    RunStart start;
    if (plan.empty()) return start;
    const TurnReason reason = plan.front().reason;
    const bool alike = std::all_of(plan.begin(), plan.end(), [&](const PlannedPhoto& photo) { return photo.reason == reason; });
    switch (alike ? reason : TurnReason::Choice) {
    case TurnReason::Fixed: start.mode = "fixed"; break;
    case TurnReason::Orientation: start.mode = "auto"; break;
    case TurnReason::Choice: start.mode = "choice"; break;
    case TurnReason::Undo: start.mode = "undo"; break;
    }
    if (start.mode == "fixed") start.turn = plan.front().turn;
    if (start.mode == "undo" && plan.front().undo) start.undoes = plan.front().undo->run;
    return start;
}

RunJournal::RunJournal(const RunStart& start, const std::string& folder) {
    if (!makeFolders(folder)) {
        problem_ = withReason("can't make the folder '" + folder + "'");
        return;
    }
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    prune(folder, now.tv_sec);
    const std::string base = nameAt(now);
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        name_ = attempt == 0 ? base : base + "-" + std::to_string(attempt + 1);
        fd_ = ::open((folder + "/" + name_ + kSuffix).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
        problem_ = withReason("can't start a journal in '" + folder + "'");
        name_.clear();
        return;
    }
    platform::syncFolder(folder);
    json line = {{"event", "run"}, {"version", kVersion}, {"started", now.tv_sec}, {"mode", start.mode}};
    if (start.turn != TransformKind::None) line["turn"] = turnName(start.turn);
    if (!start.undoes.empty()) line["undoes"] = start.undoes;
    write(line.dump());
}

RunJournal::~RunJournal() {
    if (fd_ >= 0) ::close(fd_);
}

void RunJournal::write(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fd_ < 0) return;
    const std::string line = text + "\n";
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(fd_, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    if (done == line.size() && ::fdatasync(fd_) == 0) return;
    problem_ = withReason("can't write the journal of this run");
    ::close(fd_);
    fd_ = -1;
}

void RunJournal::replacing(const JournalEntry& entry) {
    json line = {{"event", "replacing"},
                 {"photo", entry.photo},
                 {"file", entry.file},
                 {"stored", turnName(entry.stored)},
                 {"seen", turnName(entry.seen)},
                 {"upright", entry.upright},
                 {"orientationBefore", entry.orientationBefore},
                 {"orientationAfter", entry.orientationAfter},
                 {"stripDropped", entry.stripDropped},
                 {"turned", markJson(entry.turned)},
                 {"original", markJson(entry.original)}};
    if (!entry.backup.empty()) line["backup"] = entry.backup;
    if (!entry.earlierBackup.empty()) line["earlierBackup"] = entry.earlierBackup;
    if (!entry.trashFile.empty()) line["trash"] = entry.trashFile;
    if (!entry.putBack.empty()) line["putBack"] = entry.putBack;
    write(line.dump(-1, ' ', false, json::error_handler_t::replace));
}

void RunJournal::result(const PlannedPhoto& photo, const RotateResult& result) {
    if (result.outcome == FileOutcome::Cancelled) return;  // untouched, and no result of its own
    json line = {{"event", "result"}, {"photo", photo.path}, {"outcome", outcomeWord(result.outcome)}};
    if (result.outcome == FileOutcome::Rotated) line["turn"] = turnName(result.turn);
    if (result.outcome == FileOutcome::Refused) line["reason"] = refusalText(result);
    if (result.outcome == FileOutcome::Skipped) line["reason"] = result.detail;
    write(line.dump(-1, ' ', false, json::error_handler_t::replace));
}

void RunJournal::end(bool cancelled) { write(json{{"event", "end"}, {"cancelled", cancelled}}.dump()); }

std::string RunJournal::problem() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return problem_;
}

std::string journalProblemNote(const std::string& problem) {
    if (problem.empty()) return "";
    return "This run could not be recorded in its journal (" + problem + "): it cannot be undone or told later";
}

std::size_t JournalRun::count(const std::string& outcome) const {
    return static_cast<std::size_t>(
        std::count_if(photos.begin(), photos.end(), [&](const JournalPhoto& photo) { return photo.outcome == outcome; }));
}

std::string JournalRun::startedText() const {
    struct tm local {};
    ::localtime_r(&started, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

std::vector<JournalRun> listRuns(const std::string& folder) {
    std::vector<JournalRun> runs;
    for (const std::string& name : journalNames(folder)) {
        Result<JournalRun> run = readRun(name, folder);
        if (run.ok()) runs.push_back(std::move(run.value()));
    }
    return runs;
}

Result<JournalRun> readRun(const std::string& name, const std::string& folder) {
    if (name.empty() || name.find('/') != std::string::npos || name[0] == '.')
        return refuse(RefusalReason::CannotRead, "no run is named '" + name + "'");
    std::ifstream in(folder + "/" + name + kSuffix, std::ios::binary);
    if (!in) return refuse(RefusalReason::CannotRead, "no run is named '" + name + "'");
    JournalRun run;
    run.name = name;
    std::string text;
    bool first = true;
    while (std::getline(in, text)) {
        if (!readLine(text, run) && first) return refuse(RefusalReason::UnreadableMetadata, "the journal of '" + name + "' is damaged");
        first = false;
    }
    return run;
}

std::string runListLine(const JournalRun& run, bool undone) {
    std::string mode = run.start.mode;
    if (run.start.turn != TransformKind::None) mode += " (" + std::string(turnName(run.start.turn)) + ")";
    if (!run.start.undoes.empty()) mode += " of " + run.start.undoes;
    const char* done = run.start.mode == "undo" ? "put back" : "turned";
    std::string line = run.name + "  " + run.startedText() + "  " + mode + "  " +
                       counted(run.count("turned"), done, done) + ", " +
                       std::to_string(run.count("upright") + run.count("skipped")) + " left as they were, " +
                       std::to_string(run.count("refused")) + " refused";
    if (!run.ended) line += ", interrupted";
    else if (run.cancelled) line += ", cancelled";
    if (undone) line += ", undone";
    return line;
}

#include "platform/trash.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/checked_copy.h"
#include "platform/pending_file.h"
#include "platform/pending_name.h"

namespace platform {
namespace {

constexpr const char* kInfoSuffix = ".trashinfo";
constexpr std::size_t kMaxNameLength = 255;
constexpr int kNameAttempts = 1000;

std::string withReason(const std::string& what) { return what + ": " + std::strerror(errno ? errno : EIO); }

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home == '/') return home;
    const passwd* user = ::getpwuid(::geteuid());
    return user && user->pw_dir ? user->pw_dir : "";
}

std::string homeTrashFolder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/') return std::string(data) + "/Trash";
    const std::string home = homeFolder();
    return home.empty() ? "" : home + "/.local/share/Trash";
}

// The device of `path` or, where it does not exist yet, of the nearest folder above it that does.
bool deviceOfNearest(std::string path, dev_t* device) {
    struct stat st;
    while (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT || path == "/" || path.empty()) return false;
        path = folderOf(path);
    }
    *device = st.st_dev;
    return true;
}

// A folder that is really one (a link is never followed into) and, with `owner`, belongs to us.
bool isOwnFolder(const std::string& path, bool owner) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (!owner || st.st_uid == ::geteuid());
}

// `path` as a folder of ours: found, or made (mode 0700) with its parents where `create` allows.
bool haveFolder(const std::string& path, bool create, bool owner) {
    if (isOwnFolder(path, owner)) return true;
    if (!create) return false;
    const std::string parent = folderOf(path);
    if (parent != path && !isOwnFolder(parent, false) && !haveFolder(parent, true, false)) return false;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return isOwnFolder(path, owner);
}

bool haveTrash(const TrashCan& trash, bool create, bool owner) {
    return haveFolder(trash.root, create, owner) && haveFolder(trash.files(), create, false) &&
           haveFolder(trash.info(), create, false);
}

// The top folder of the file system that holds the folder `folder` (absolute) on `device`.
std::string topFolderOf(std::string folder, dev_t device) {
    while (folder != "/") {
        const std::string parent = folderOf(folder);
        struct stat st;
        if (::stat(parent.c_str(), &st) != 0 || st.st_dev != device) break;
        folder = parent;
    }
    return folder;
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

bool onDevice(const std::string& path, dev_t device) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && st.st_dev == device;
}

// Where a volume's Trash for this user lies: in the administrator's sticky .Trash where there is
// one, else in the user's own .Trash-$uid.
Result<TrashCan> volumeTrash(const std::string& topdir, dev_t device, bool create) {
    const std::string uid = std::to_string(::geteuid());
    const std::string shared = joined(topdir, ".Trash");
    struct stat st;
    if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const TrashCan trash{shared + "/" + uid, topdir};
        if (haveTrash(trash, create, true) && onDevice(trash.root, device)) return trash;
    }
    const TrashCan own{joined(topdir, ".Trash-" + uid), topdir};
    if (haveTrash(own, create, true) && onDevice(own.root, device)) return own;
    return refuse(RefusalReason::TrashUnavailable, create ? withReason("can't make a Trash folder in '" + topdir + "'")
                                                           : "no Trash in '" + topdir + "'");
}

bool isPlain(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/';
}

std::string encoded(const std::string& path) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : path) {
        if (isPlain(c)) {
            text += static_cast<char>(c);
        } else {
            text += '%';
            text += kDigits[c >> 4];
            text += kDigits[c & 15];
        }
    }
    return text;
}

// The name of the `attempt`-th try for the photo's entry: its own name, then "NAME.2.jpg" and
// so on, cut to leave room for ".trashinfo".
std::string entryName(const std::string& photoName, int attempt) {
    std::string stem = photoName, extension;
    const std::size_t dot = photoName.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        stem = photoName.substr(0, dot);
        extension = photoName.substr(dot);
    }
    const std::string number = attempt == 0 ? "" : "." + std::to_string(attempt + 1);
    const std::size_t room = kMaxNameLength - std::strlen(kInfoSuffix);
    if (extension.size() + number.size() >= room) extension.clear();
    const std::size_t stemRoom = room - extension.size() - number.size();
    if (stem.size() > stemRoom) stem.resize(stemRoom);
    return stem + number + extension;
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool isBefore(const timespec& a, const timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

bool exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// A .trashinfo whose file never arrived, from a run that is no longer alive: removed.
bool settleInfo(const TrashCan& trash, const std::string& name, const timespec& before) {
    const std::string info = trash.info() + "/" + name;
    const std::string file = trash.files() + "/" + name.substr(0, name.size() - std::strlen(kInfoSuffix));
    if (exists(file)) return false;
    const int fd = ::open(info.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    bool removed = false;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && isBefore(st.st_mtim, before) &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 && !exists(file))
        removed = ::unlink(info.c_str()) == 0;
    ::close(fd);
    return removed;
}

// A copy of ours still being made in files/ when its run ended: it never stood for anything.
bool settleCopy(const TrashCan& trash, const std::string& name, const timespec& before) {
    const std::string path = trash.files() + "/" + name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    bool removed = false;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && isBefore(st.st_ctim, before) &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0)
        removed = ::unlink(path.c_str()) == 0;
    ::close(fd);
    return removed;
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* listing = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(listing)) names.push_back(entry->d_name);
        ::closedir(listing);
    }
    return names;
}

bool endsWith(const std::string& text, const char* end) {
    const std::size_t size = std::strlen(end);
    return text.size() > size && text.compare(text.size() - size, size, end) == 0;
}

}  // namespace

Result<TrashCan> trashFor(const std::string& path, dev_t device, bool create) {
    const std::string home = homeTrashFolder();
    dev_t homeDevice = 0;
    if (!home.empty() && deviceOfNearest(home, &homeDevice) && homeDevice == device) {
        const TrashCan trash{home, ""};
        if (haveTrash(trash, create, false) && onDevice(trash.root, device)) return trash;
        return refuse(RefusalReason::TrashUnavailable,
                      create ? withReason("can't make the Trash folder '" + home + "'") : "no Trash at '" + home + "'");
    }
    return volumeTrash(topFolderOf(folderOf(path), device), device, create);
}

std::string trashInfoText(const TrashCan& trash, const std::string& photo, std::time_t when) {
    std::string path = photo;
    if (!trash.topdir.empty() && trash.topdir != "/" && photo.compare(0, trash.topdir.size() + 1, trash.topdir + "/") == 0)
        path = photo.substr(trash.topdir.size() + 1);
    struct tm local {};
    ::localtime_r(&when, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + encoded(path) + "\nDeletionDate=" + date + "\n";
}

std::string trashInfoOf(const std::string& file) {
    return folderOf(folderOf(file)) + "/info/" + baseNameOf(file) + kInfoSuffix;
}

bool TrashEntry::place(const TrashCan& trash, const SourceFile& original, const std::string& photo,
                       std::string* error) {
    abandon();
    const std::string text = trashInfoText(trash, photo, std::time(nullptr));
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string name = entryName(baseNameOf(photo), attempt);
        info_ = trash.info() + "/" + name + kInfoSuffix;
        infoFd_ = ::open(info_.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (infoFd_ < 0) {
            const bool taken = errno == EEXIST;
            info_.clear();
            if (taken) continue;
            if (error) *error = withReason("can't write an entry in the Trash '" + trash.root + "'");
            return false;
        }
        // Locked from the start, so that no run settling the Trash takes it for a leftover.
        ::flock(infoFd_, LOCK_EX | LOCK_NB);
        if (!writeAll(infoFd_, text) || ::fsync(infoFd_) != 0) {
            if (error) *error = withReason("can't write '" + info_ + "'");
            abandon();
            return false;
        }
        const std::string file = trash.files() + "/" + name;
        if (linkOpenFile(original.fd(), file)) {
            file_ = file;
        } else if (errno == EEXIST) {  // a file without its .trashinfo: the name is not ours to take
            abandon();
            continue;
        } else {
            // No hard links here: a checked copy, named only once it is complete.
            PendingFile copy;
            if (!copy.open(file, error, PendingKind::Rewrite) || !writeCheckedCopy(original, copy, "the Trash", error)) {
                abandon();
                return false;
            }
            if (!copy.moveTo(file, false, error)) {
                const bool taken = errno == EEXIST;
                abandon();
                if (taken) continue;
                return false;
            }
            file_ = file;
        }
        syncFolder(trash.files());
        syncFolder(trash.info());
        return true;
    }
    if (error) *error = "no free name for it in the Trash '" + trash.root + "'";
    return false;
}

void TrashEntry::release() {
    if (infoFd_ >= 0) ::close(infoFd_);
    infoFd_ = -1;
    file_.clear();
    info_.clear();
}

void TrashEntry::abandon() {
    if (!file_.empty()) ::unlink(file_.c_str());
    if (!info_.empty()) ::unlink(info_.c_str());
    release();
}

void TrashEntry::keep() { release(); }

bool removeTrashEntry(const std::string& file) {
    if (::unlink(file.c_str()) != 0 && errno != ENOENT) return false;
    const std::string info = trashInfoOf(file);
    return ::unlink(info.c_str()) == 0 || errno == ENOENT;
}

int settleTrash(const TrashCan& trash, const timespec& before) {
    int settled = 0;
    for (const std::string& name : namesIn(trash.info()))
        if (endsWith(name, kInfoSuffix)) settled += settleInfo(trash, name, before) ? 1 : 0;
    for (const std::string& name : namesIn(trash.files())) {
        const auto pending = parsePendingName(name);
        if (pending && pending->kind == PendingKind::Rewrite) settled += settleCopy(trash, name, before) ? 1 : 0;
    }
    return settled;
}

}  // namespace platform

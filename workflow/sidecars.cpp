#include "workflow/sidecars.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

#include "jpegfile/xmp_edit.h"
#include "platform/file_attributes.h"
#include "platform/pending_file.h"

namespace {

using Bytes = std::vector<unsigned char>;
using platform::SourceFile;

std::string cased(std::string text, int (*change)(int)) {
    for (char& c : text) c = static_cast<char>(change(static_cast<unsigned char>(c)));
    return text;
}

struct Candidate {
    std::string name;
    bool ofStem;  // NAME.xmp rather than NAME.EXT.xmp
};

// The names a sidecar of the photo `name` may have: NAME.xmp and NAME.EXT.xmp in their cases.
std::vector<Candidate> candidateNames(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot != 0;
    std::vector<std::string> bases = {hasExtension ? name.substr(0, dot) : name};
    if (hasExtension) {
        const std::string extension = name.substr(dot + 1);
        for (const std::string& spelling : {extension, cased(extension, ::tolower), cased(extension, ::toupper)})
            bases.push_back(bases[0] + "." + spelling);
    }
    std::vector<Candidate> names;
    for (std::size_t i = 0; i < bases.size(); ++i)
        for (const char* suffix : {".xmp", ".XMP"}) {
            const std::string candidate = bases[i] + suffix;
            if (std::none_of(names.begin(), names.end(), [&](const Candidate& c) { return c.name == candidate; }))
                names.push_back({candidate, i == 0 && hasExtension});
        }
    return names;
}

// Another file of the same stem and a one-part extension other than the photo's own and "xmp":
// a raw file of the same shot, whose sidecar NAME.xmp may well be. "" when there is none.
std::string fileSharingStem(const std::string& folder, const std::string& photoName) {
    const std::size_t dot = photoName.rfind('.');
    if (dot == std::string::npos || dot == 0) return "";
    const std::string stem = photoName.substr(0, dot + 1);  // with its dot
    DIR* listing = ::opendir(folder.c_str());
    if (!listing) return "";
    std::string found;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name == photoName || name.size() <= stem.size() || name.compare(0, stem.size(), stem) != 0) continue;
        const std::string extension = name.substr(stem.size());
        if (extension.find('.') == std::string::npos && ::strcasecmp(extension.c_str(), "xmp") != 0) {
            found = name;
            break;
        }
    }
    ::closedir(listing);
    return found;
}

Refusal sidecarRefusal(RefusalReason reason, const std::string& path, const std::string& why) {
    return refuse(reason, "its sidecar '" + platform::baseNameOf(path) + "': " + why);
}

RefusalReason reasonOf(platform::ReplaceStatus status) {
    return status == platform::ReplaceStatus::AttributesNotKept ? RefusalReason::AttributesNotKept
                                                                : RefusalReason::NoPermission;
}

// The photo's replacement as another of its files (a sidecar, or the photo put back) gets it: the
// same keeping of originals, with the times `timesFrom` had. The photo's own hooks (its check
// before the rename, its journal line naming its backup and Trash entry) stay with the photo.
platform::Replacement replacementBeside(const platform::Replacement& photo, const std::string& target,
                                        const SourceFile& original, const SourceFile& timesFrom) {
    platform::Replacement replacement = photo;
    replacement.target = target;
    replacement.original = &original;
    replacement.setTimes = true;
    replacement.times = platform::timesOf(timesFrom.status());
    replacement.beforeReplace = nullptr;
    replacement.announce = nullptr;
    return replacement;
}

// Puts `bytes` back at `target`, which now holds what this turn wrote there, with the times
// `before` had; the backup this turn made of it goes again where it is that very file (a link to
// it), for the file it saved is back. A backup made as a copy (no hard links) stays.
platform::ReplaceOutcome putBack(const platform::Replacement& settings, const std::string& target, const Bytes& bytes,
                                 const SourceFile& before, bool madeBackup) {
    SourceFile current;
    std::string error;
    if (current.open(target, &error) != SourceFile::Status::Ok) return {platform::ReplaceStatus::WriteFailed, error};
    platform::Replacement back = replacementBeside(settings, target, current, before);
    back.keepBackup = false;
    back.keepInTrash = false;  // what it replaces is our own turned file, no original
    const platform::ReplaceOutcome outcome = platform::replaceFile(back, bytes.data(), bytes.size());
    const std::string backup = target + platform::kBackupSuffix;
    struct stat st;
    if (outcome.replaced() && madeBackup && ::lstat(backup.c_str(), &st) == 0 &&
        platform::FileIdentity::of(st).sameFileAs(before.identity()) && ::unlink(backup.c_str()) == 0)
        platform::syncFolder(platform::folderOf(target));
    return outcome;
}

}  // namespace

SidecarSearch findSidecars(const std::string& photo) {
    SidecarSearch search;
    const std::string folder = platform::folderOf(photo), name = platform::baseNameOf(photo);
    std::vector<platform::FileIdentity> seen;
    for (const Candidate& candidate : candidateNames(name)) {
        const std::string path = folder + "/" + candidate.name;
        struct stat st;
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        const platform::FileIdentity identity = platform::FileIdentity::of(st);
        if (std::any_of(seen.begin(), seen.end(), [&](const auto& other) { return other.sameFileAs(identity); })) continue;
        seen.push_back(identity);
        if (candidate.ofStem) {
            search.sharedWith = fileSharingStem(folder, name);
            if (!search.sharedWith.empty()) {
                search.shared = candidate.name;
                continue;
            }
        }
        search.sidecars.push_back(platform::fileBehindLink(path));
    }
    return search;
}

Result<Sidecars> readSidecars(const std::vector<std::string>& paths) {
    Sidecars sidecars;
    for (const std::string& path : paths) {
        auto sidecar = std::make_unique<Sidecar>();
        sidecar->path = path;
        std::string error;
        const SourceFile::Status status = sidecar->source.open(path, &error);
        if (status == SourceFile::Status::InUse) return sidecarRefusal(RefusalReason::InUse, path, error);
        if (status != SourceFile::Status::Ok) return sidecarRefusal(RefusalReason::CannotRead, path, error);
        if (static_cast<std::size_t>(sidecar->source.status().st_size) > kMaxSidecarSize)
            return sidecarRefusal(RefusalReason::UnreadableMetadata, path, "too large for an XMP sidecar");
        if (sidecar->source.readAll(&sidecar->original, &error) != SourceFile::Status::Ok)
            return sidecarRefusal(RefusalReason::CannotRead, path, error);
        sidecar->turned = sidecar->original;
        sidecars.push_back(std::move(sidecar));
    }
    return sidecars;
}

std::vector<SidecarPacket> sidecarPackets(const Sidecars& sidecars) {
    std::vector<SidecarPacket> packets;
    for (const auto& sidecar : sidecars)
        packets.push_back({platform::baseNameOf(sidecar->path), std::string(sidecar->original.begin(), sidecar->original.end())});
    return packets;
}

Result<void> turnSidecars(Sidecars& sidecars, const PictureTurn& turn) {
    for (const auto& sidecar : sidecars) {
        std::string packet(sidecar->original.begin(), sidecar->original.end()), reason;
        if (!turnXmpPacket(&packet, turn, &reason))
            return sidecarRefusal(RefusalReason::UnreadableMetadata, sidecar->path, reason);
        sidecar->turned.assign(packet.begin(), packet.end());
        if (sidecar->turned == sidecar->original) continue;
        platform::ReplaceStatus status = platform::ReplaceStatus::NoPermission;
        const std::string why = platform::writeRefusal(sidecar->path, sidecar->source, &status);
        if (!why.empty()) return sidecarRefusal(reasonOf(status), sidecar->path, why);
    }
    return {};
}

Result<PreparedSidecars> prepareSidecars(const std::string& photo, const PhotoRecord& record, int followed,
                                         const PictureTurn& turn) {
    const SidecarSearch search = findSidecars(photo);
    Result<Sidecars> read = readSidecars(search.sidecars);
    if (!read.ok()) return read.refusal();
    PreparedSidecars prepared{std::move(read.value()), {}};
    if (statedOrientation(record, sidecarPackets(prepared.files)).followed != followed)
        return refuse(RefusalReason::ChangedByOther, "its sidecar's orientation changed while it was being turned");
    const Result<void> turned = turnSidecars(prepared.files, turn);
    if (!turned.ok()) return turned.refusal();
    if (!search.shared.empty())
        prepared.note = "'" + search.shared + "' was left as it was: it may be the sidecar of '" + search.sharedWith + "'";
    return prepared;
}

// The photo first, as the one whose replacement is the more likely to be refused (it is checked
// against what was read, and it is the large file). A kill between its rename and a sidecar's
// leaves the photo turned and that sidecar as it was (with at most a temporary file of ours beside
// it, which a later run clears): each sidecar is edited and checked before the photo is replaced,
// so that only its own small write and rename stand in that window.
platform::ReplaceOutcome replaceWithSidecars(const platform::Replacement& photo, const unsigned char* bytes,
                                             std::size_t size, const std::vector<unsigned char>& original,
                                             Sidecars& sidecars) {
    const platform::ReplaceOutcome replaced = platform::replaceFile(photo, bytes, size);
    if (!replaced.replaced()) return replaced;
    std::vector<std::pair<Sidecar*, bool>> done;  // each sidecar replaced, and whether a backup was made of it
    for (const auto& sidecar : sidecars) {
        if (sidecar->turned == sidecar->original) continue;
        const platform::Replacement replacement = replacementBeside(photo, sidecar->path, sidecar->source, sidecar->source);
        const platform::ReplaceOutcome outcome =
            platform::replaceFile(replacement, sidecar->turned.data(), sidecar->turned.size());
        if (outcome.replaced()) {
            done.emplace_back(sidecar.get(), photo.keepBackup && !outcome.earlierBackupKept);
            continue;
        }
        std::string detail = "its sidecar '" + platform::baseNameOf(sidecar->path) + "' cannot be replaced (" +
                             outcome.detail + ")";
        const platform::ReplaceOutcome back =
            photo.original ? putBack(photo, photo.target, original, *photo.original,
                                     photo.keepBackup && !replaced.earlierBackupKept)
                           : platform::ReplaceOutcome{platform::ReplaceStatus::WriteFailed, "it had no original", false};
        if (!back.replaced())  // the photo stays turned, and so do the sidecars that followed it
            return {platform::ReplaceStatus::Replaced,
                    detail + "; the photo could not be put back (" + back.detail + ") and stays turned",
                    replaced.earlierBackupKept};
        for (const auto& [earlier, madeBackup] : done) {
            const platform::ReplaceOutcome undone = putBack(photo, earlier->path, earlier->original, earlier->source, madeBackup);
            if (!undone.replaced())
                detail += "; its sidecar '" + platform::baseNameOf(earlier->path) + "' could not be put back (" +
                          undone.detail + ")";
        }
        return {outcome.status, detail + "; the photo was put back as it was", false};
    }
    return replaced;
}

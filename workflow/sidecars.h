#pragma once
// A photo's XMP sidecars: the files photo managers keep beside it (NAME.xmp or NAME.jpg.xmp for
// NAME.jpg) and read instead of, or over, what the photo itself says: its orientation, its face
// regions, its size. They go with the photo through a turn, all or nothing: read and edited before
// the photo is replaced, replaced right after it, and the photo put back when one cannot be.

#include <memory>
#include <string>
#include <vector>

#include "jpegfile/position_turn.h"
#include "workflow/stated_orientation.h"
#include "platform/file_replacement.h"
#include "platform/refusal.h"
#include "platform/source_file.h"

// No sidecar a photo manager writes comes near this; a larger file is no sidecar to read whole.
inline constexpr std::size_t kMaxSidecarSize = 64 * 1024 * 1024;

struct Sidecar {
    std::string path;                   // links resolved
    platform::SourceFile source;        // opened (and locked) before it was read
    std::vector<unsigned char> original;
    std::vector<unsigned char> turned;  // what takes its place
};
using Sidecars = std::vector<std::unique_ptr<Sidecar>>;

struct SidecarSearch {
    std::vector<std::string> sidecars;  // links resolved; each file once
    // NAME.xmp where another file NAME.EXT (a raw file of the same shot) lies beside the photo: it
    // may be that file's, and is left as it is. "" when there is none.
    std::string shared;
    std::string sharedWith;  // that other file's name
};

// The sidecars of the photo at `photo` (a link already resolved): the regular files NAME.xmp and
// NAME.EXT.xmp beside it, EXT the photo's extension as written or in small or capital letters,
// "xmp" in either. A file system that ignores case finds one file under several names: each
// counts once.
SidecarSearch findSidecars(const std::string& photo);

// Each sidecar opened and read whole. A refusal naming it when one cannot be read.
Result<Sidecars> readSidecars(const std::vector<std::string>& paths);

// The packets the sidecars hold, in their order, each with its file's name.
std::vector<SidecarPacket> sidecarPackets(const Sidecars& sidecars);

// Sets every sidecar's `turned` from its original as the turn changes it (the same XMP edits as
// the photo's own packet): a refusal naming the first that cannot be edited soundly, or that
// this user may not have replaced.
Result<void> turnSidecars(Sidecars& sidecars, const PictureTurn& turn);

// Puts `bytes` in place of the photo as `photo` says, then each sidecar's `turned` in its place
// with the same settings (a backup beside it where the photo gets one), its own attributes and
// times. When a sidecar cannot be replaced, the photo's `original` bytes and the sidecars
// replaced before it are put back the same careful way, and the outcome is that sidecar's
// failure. Sidecars whose `turned` equals their original are not rewritten.
platform::ReplaceOutcome replaceWithSidecars(const platform::Replacement& photo, const unsigned char* bytes,
                                             std::size_t size, const std::vector<unsigned char>& original,
                                             Sidecars& sidecars);

// What a photo's turn needs of its sidecars, ready before the photo is replaced.
struct PreparedSidecars {
    Sidecars files;    // read, and turned
    std::string note;  // "" or which file was left as it was, and why
};

// Finds, reads and turns the sidecars of the photo at `photo`, whose turn was planned with the
// orientation `followed` (workflow/stated_orientation.h) from `record` and the sidecars as they
// were then: a sidecar that now says otherwise refuses the photo as changed meanwhile.
Result<PreparedSidecars> prepareSidecars(const std::string& photo, const PhotoRecord& record, int followed,
                                         const PictureTurn& turn);

#pragma once
// Temporary files that a killed run left beside the photographs: recognised by their names
// (platform/pending_name.h) and by holding no lock of a live run, and settled by a later run.

#include <sys/types.h>

#include <ctime>
#include <string>

// True for a name that this program gives its temporary files; never for a user's own file.
bool isPendingFileName(const std::string& name);

// The moment a run starts, on the clock the file system stamps files with.
timespec runStartTime();

// Settles the temporary files of `folder` that no live run holds and whose status change time
// lies before `runStart`: a new photo that never took its place, or a backup copy that was never
// complete, is removed; a backup in waiting is removed while it still is the photo (or the same
// bytes), and becomes NAME.bak when the photo was replaced and there is no NAME.bak yet (also
// where the file system has no hard links). What could be the only copy of an original stays.
// Returns the number removed or completed.
int removeStrayPendingFiles(const std::string& folder, const timespec& runStart);

// Settles what killed runs left in the Trash that takes the files of `folder` (on `device`),
// where there is one: a .trashinfo without its file, a copy never completed (platform::settleTrash).
int settleTrashOf(const std::string& folder, dev_t device, const timespec& runStart);

#pragma once
// A copy that may come to stand for an original, where the file system cannot give the original
// a second name: its bytes, attributes and times written into a new file, flushed to disk, and
// read back as a new reader sees them to check that they are the original's byte for byte.

#include <string>

#include "platform/pending_file.h"
#include "platform/source_file.h"

namespace platform {

// Fills `copy` (opened by the caller, still under its temporary name) with the open file
// `original`, named `what` in an error. false and *error when it cannot be written or does not
// read back as the original; the copy is discarded then.
bool writeCheckedCopy(const SourceFile& original, PendingFile& copy, const std::string& what, std::string* error);

}  // namespace platform

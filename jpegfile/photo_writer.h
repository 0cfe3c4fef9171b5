#pragma once
// The turned photo written back: its own metadata segments in front of its turned picture.

#include <vector>

#include "jpegfile/photo_record.h"

// SOI, every application segment and comment of the record in its order, each followed by the
// stray bytes that followed it (those behind SOI first; those behind a segment that is not
// written, such as the picture's own tables, where it stood), then `picture` from behind its own
// SOI (its tables, frame, scans and EOI), then `tail`. The bytes are measured first and written
// into place once.
std::vector<unsigned char> writePhoto(const PhotoRecord& record, const std::vector<unsigned char>& picture,
                                      const std::vector<unsigned char>& tail);

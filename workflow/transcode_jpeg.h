#pragma once
// Lossless transcoding of one JPEG file: its DCT coefficients are moved by a transform and
// written with the source's markers, never decoded to pixels.
//
// The result replaces the output only when it is complete: it is held in memory, then written to
// a private temporary file beside the output, flushed to disk and renamed onto the output name
// (platform::replaceFile), which keeps the replaced file's owner, group, mode, extended attributes
// and ACLs. Nothing partial is ever left under a name the user owns. An output the user may not
// write to, or one that changed on disk while the work went on, is left as it was. When input and
// output name the same file (the same device and inode), the work is in place: the path holds the
// untouched file until the finished result replaces it in one rename, and the untouched bytes and
// times stay under the path with ".bak" appended, unless a file of that name exists: that one
// holds an older original and is kept as it is. A distinct input is never changed.

#include <string>

#include "platform/refusal.h"
#include "transform/transform_setup.h"
#include "workflow/marker_copy.h"

struct TranscodeRequest {
    std::string input;
    std::string output;
    TransformKind kind = TransformKind::None;
    bool trim = false;  // drop the partial edge iMCUs that the transform cannot move exactly
    bool gray = false;  // write the luminance component alone
    MarkerCopyOption copy = CopyAll;
    bool optimize = false;  // optimized Huffman tables even where the source has the standard ones
    bool replaceExisting = true;  // false: an existing output other than the input is left as it is
};

struct TranscodeDone {
    std::string earlierBackup;  // in place: the NAME.bak that was there and was kept; else empty
};

// The input is read whole and turned by runCoefficientPass, which keeps its coding and refuses
// damaged data. Refused with CannotRead (the input), the pass's reason (NotJpeg, DamagedData,
// Unsupported, NotEnoughMemory, with libjpeg's words), OutputExists, or WriteFailed (the output),
// the system's words in the detail; after a refusal the output's former content and the input are
// as they were, and no temporary file remains.
Result<TranscodeDone> transcodeJpegWith(const TranscodeRequest& request);

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
// untouched file until the finished result replaces it in one rename, and with keepInput the
// untouched bytes and times stay under the path with ".bak" appended, unless a file of that name
// exists: that one holds an older original and is kept as it is.

#include <string>

#include "transform/transform_setup.h"
#include "workflow/coefficient_pass.h"
#include "workflow/marker_copy.h"

struct TranscodeRequest {
    std::string input;
    std::string output;
    TransformKind kind = TransformKind::None;
    bool trim = false;  // drop the partial edge iMCUs that the transform cannot move exactly
    bool gray = false;  // write the luminance component alone
    MarkerCopyOption copy = CopyAll;
    bool keepInput = true;  // distinct paths: keep the input; in place: keep a ".bak"
    bool optimize = false;  // optimized Huffman tables even where the source has the standard ones
    bool replaceExisting = true;  // false: an existing output other than the input is left as it is
};

// Where a transcode stopped.
enum class TranscodeFailure {
    None,
    CannotOpen,    // the input could not be opened (missing, not a regular file, no permission)
    CannotRead,    // the input could not be read
    NotTurned,     // the coefficient pass refused the input: passFailure says how
    OutputExists,  // a distinct output exists and replaceExisting is false
    CannotWrite,   // the output may not, or could not, be written or put in place
};

// What became of a transcode. The paths are the request's: the input for CannotOpen, CannotRead
// and NotTurned, the output for the others.
struct TranscodeOutcome {
    TranscodeFailure failure = TranscodeFailure::None;
    std::string detail;                           // the system's or libjpeg's own words
    PassFailure passFailure = PassFailure::None;  // for NotTurned
    bool earlierBackupKept = false;               // in place: an existing ".bak" was kept as it was
    bool inputNotRemoved = false;                 // done, but the input that was to go is still there

    bool done() const { return failure == TranscodeFailure::None; }
};

// "rotate 90", "rotate 180" and "rotate 270" in any letter case; every other text (null too) is None.
TransformKind transformKindFromName(const char* transformName);

// Done when the output holds the complete result. The input is read whole and turned by
// runCoefficientPass, which keeps its coding and refuses damaged data. After a failure the
// output's former content and the input are as they were, and no temporary file remains. With
// keepInput 0 a distinct input is removed only after complete success. Prints nothing.
TranscodeOutcome transcodeJpegFile(const TranscodeRequest& request);

// The same, the failure (or the note) described on the standard error stream as this transcoder
// always has ("Pivora: can't open IN", libjpeg's own line); 1 when done, 0 on failure.
int transcodeJpegWith(const TranscodeRequest& request);

// The same with untrimmed, full-colour output and every marker copied.
int transcodeJpeg(const char* inputPath, const char* outputPath, const char* transformName, int keepInput);

#pragma once
// One pass of libjpeg's coefficient path, from memory to memory: reads a JPEG stream's DCT
// coefficients, lets the transform engine move them and writes them with the source's markers
// and the source's coding. No pixel is ever decoded, and nothing is printed: every failure comes
// back in the result with libjpeg's own words or ours.

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

#include "transform/coefficient_memory.h"
#include "transform/transform_setup.h"
#include "workflow/marker_copy.h"

struct CoefficientPassRequest {
    const unsigned char* input = nullptr;  // a JPEG stream in memory; bytes after its EOI are allowed
    std::size_t inputSize = 0;
    TransformKind kind = TransformKind::None;
    bool trimPartialBlocks = false;
    bool grayOnly = false;
    MarkerCopyOption copy = CopyAll;
    bool writeOwnHeaders = true;  // false: libjpeg writes no JFIF/Adobe marker of its own, so the
                                  // copied source markers (or none, with CopyNone) stand as they are
    bool optimize = false;        // always compute optimized Huffman tables
    CoefficientMemory* memory = nullptr;  // where the coefficient arrays live; null: libjpeg's own manager
    const std::atomic<int>* cancel = nullptr;  // the run's cancel flag: set, the pass stops as Cancelled
};

enum class PassFailure {
    None,
    NotJpeg,          // empty, or it does not start as a JPEG stream
    Damaged,          // corrupt picture data, or a header no real picture could have
    Unsupported,      // a JPEG process, precision or colour conversion this program does not handle
    NotEnoughMemory,  // the coefficients need more memory than the limit allows
    Cancelled,        // the run's cancel flag was set while the pass ran
    Failed,           // anything else (the destination could not be written)
};

// How a stream is coded, as far as the pass keeps it.
struct JpegCoding {
    bool progressive = false;
    bool arithmetic = false;
    unsigned restartInterval = 0;        // in MCUs; 0 for none
    bool standardHuffmanTables = true;   // every Huffman table it defines is the standard one of its slot
};

// The Huffman tables the output is written with.
enum class HuffmanTables {
    Standard,    // the standard tables, which the source has too
    SourcesOwn,  // the source's own, which code every symbol of the turned picture: its DHT segments stay
    Rebuilt,     // optimal for the turned picture, built from a count of its symbols
    PerScan,     // a progression: libjpeg builds optimal tables for each scan itself
    None,        // arithmetic coding has none
};

struct CoefficientPassResult {
    PassFailure failure = PassFailure::Failed;
    std::string message;                // libjpeg's own text, or ours, when it failed
    std::vector<unsigned char> output;  // the complete turned stream on success
    std::size_t consumed = 0;           // input bytes up to and including the picture's EOI
    int width = 0, height = 0;          // of the output picture
    bool trimmed = false;               // partial edge blocks were dropped
    bool exact = true;                  // the output is the exact turn of the (trimmed) picture
    JpegCoding source;                  // the source's coding, known once its header was read
    HuffmanTables tables = HuffmanTables::Standard;  // of the output, on success

    bool ok() const { return failure == PassFailure::None; }
};

// Reads, turns and writes one picture. Source warnings about corrupt data fail the pass as
// Damaged; notes about the header (an unknown JFIF revision or Adobe transform, a bad ICC
// marker) do not. On failure `output` is empty and the other fields hold what was known when
// the pass stopped.
CoefficientPassResult runCoefficientPass(const CoefficientPassRequest& request);

// The whole coefficient pass on hostile input: read, check, turn and write into memory. The
// first input byte chooses the request (kind, trimming, gray, optimize, own headers, markers to
// copy); the rest is the stream. What the pass writes must read back as a picture of the size it
// reported. The coefficient memory is held small, so that the pictures stay small and a run
// over the 10 s time-out is a hang, not a large picture.

#include <cstdint>
#include <cstdlib>

#include "workflow/coefficient_pass.h"

namespace {

constexpr std::size_t kMostInput = 1 << 16;
constexpr std::size_t kCoefficientBytes = 8 << 20;

CoefficientPassRequest requestFrom(std::uint8_t options, const std::uint8_t* data, std::size_t size,
                                   CoefficientMemory* memory) {
    CoefficientPassRequest request;
    request.input = data;
    request.inputSize = size;
    request.kind = static_cast<TransformKind>(options & 7);
    request.trimPartialBlocks = options & 8;
    request.grayOnly = options & 16;
    request.optimize = options & 32;
    request.writeOwnHeaders = !(options & 64);
    request.copy = options & 128 ? CopyComments : CopyAll;
    request.memory = memory;
    return request;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > kMostInput) return 0;
    CoefficientMemory memory;
    memory.limit = kCoefficientBytes;
    CoefficientPassResult turned = runCoefficientPass(requestFrom(data[0], data + 1, size - 1, &memory));
    if (!turned.ok()) {
        if (!turned.output.empty() || turned.message.empty()) std::abort();
        return 0;
    }
    CoefficientMemory again;
    again.limit = 4 * kCoefficientBytes;  // trimming to whole iMCUs never grows the picture
    CoefficientPassRequest check;
    check.input = turned.output.data();
    check.inputSize = turned.output.size();
    check.memory = &again;
    CoefficientPassResult read = runCoefficientPass(check);
    if (!read.ok() || read.width != turned.width || read.height != turned.height ||
        read.consumed != turned.output.size() || turned.consumed > size - 1)
        std::abort();
    return 0;
}

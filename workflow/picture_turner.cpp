#include "workflow/picture_turner.h"

namespace {

constexpr std::size_t kMegabyte = 1000000;

CoefficientPassResult runPass(const unsigned char* input, std::size_t size, TransformKind kind,
                              const TurnSettings& settings, bool trim, MarkerCopyOption copy,
                              CoefficientMemory* memory) {
    CoefficientPassRequest pass;
    pass.input = input;
    pass.inputSize = size;
    pass.kind = kind;
    pass.trimPartialBlocks = trim;
    pass.copy = copy;
    pass.writeOwnHeaders = false;
    pass.optimize = settings.optimize;
    pass.memory = memory;
    pass.cancel = settings.run.cancel;
    return runCoefficientPass(pass);
}

std::string megabytes(std::size_t bytes) { return std::to_string((bytes + kMegabyte - 1) / kMegabyte) + " MB"; }

}  // namespace

CoefficientPassResult turnMainPicture(const std::vector<unsigned char>& source, TransformKind kind,
                                      const TurnSettings& settings, CoefficientMemory* memory) {
    return runPass(source.data(), source.size(), kind, settings, true, CopyNone, memory);
}

CoefficientPassResult turnWholePicture(const std::vector<unsigned char>& source, TransformKind kind,
                                       const TurnSettings& settings, CoefficientMemory* memory) {
    return runPass(source.data(), source.size(), kind, settings, false, CopyNone, memory);
}

JpegStreamTurner embeddedPictureTurner(TransformKind kind, const TurnSettings& settings, bool trim) {
    return [kind, &settings, trim](const unsigned char* stream, std::size_t size, std::vector<unsigned char>* turned,
                                   std::string* reason) {
        CoefficientMemory memory;
        memory.budget = settings.run.memory;
        CoefficientPassResult pass = runPass(stream, size, kind, settings, trim, CopyAll, &memory);
        // Trimmed, only a picture smaller than one block stays inexact.
        if (pass.ok() && !pass.exact)
            pass.message = trim ? "smaller than one block along an edge the turn mirrors"
                                : "its size is no whole number of blocks along an edge the turn mirrors";
        if (!pass.ok() || !pass.exact) {
            *reason = pass.message;
            return false;
        }
        *turned = std::move(pass.output);
        return true;
    };
}

Refusal refusalOfPass(const CoefficientPassResult& pass, const CoefficientMemory* memory) {
    switch (pass.failure) {
    case PassFailure::None: return refuse(RefusalReason::Unsupported, "smaller than one block in a direction the turn mirrors");
    case PassFailure::NotJpeg: return refuse(RefusalReason::NotJpeg, pass.message);
    case PassFailure::Damaged: return refuse(RefusalReason::DamagedData, pass.message);
    case PassFailure::Unsupported: return refuse(RefusalReason::Unsupported, pass.message);
    case PassFailure::NotEnoughMemory:
        if (!memory || !memory->refused) return refuse(RefusalReason::NotEnoughMemory, pass.message);
        return refuse(RefusalReason::NotEnoughMemory,
                      "it needs " + megabytes(memory->neededBytes) + ", more than the " +
                          megabytes(memory->limit ? memory->limit : machineCoefficientLimit()) + " this machine allows for one photo");
    case PassFailure::Cancelled:
    case PassFailure::Failed: break;
    }
    return refuse(RefusalReason::WriteFailed, pass.message);
}

#pragma once
// The transform engine driven through one libjpeg coefficient pass in memory, for tests,
// fuzz targets and benchmarks that want the engine without files or marker copying.

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/jpeg_maker.h"
#include "transform/coefficient_memory.h"
#include "transform/transform_setup.h"

namespace testsupport {

// A fatal libjpeg error, raised only after control has left libjpeg's frames.
class JpegError : public std::runtime_error {
public:
    JpegError(const std::string& message, int code) : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }  // libjpeg's msg_code, e.g. JERR_CONVERSION_NOTIMPL

private:
    int code_;
};

struct TransformReport {
    Bytes output;        // the complete transformed JPEG
    bool exact = false;  // as prepareTransformOutput reported it
};

// Runs read_header, reserveTransformArrays, read_coefficients, copy_critical_parameters,
// prepareTransformOutput, write_coefficients, runTransform and the finish calls, with the
// coefficient arrays in `memory` (null: the program's defaults), as the transcoder keeps them.
// Throws JpegError when libjpeg (or the engine through libjpeg) raises an error.
TransformReport transformWithReport(const Bytes& jpeg, TransformKind kind, bool trim = false, bool gray = false,
                                    CoefficientMemory* memory = nullptr);

// The same pass when only the output matters.
Bytes transformInMemory(const Bytes& jpeg, TransformKind kind, bool trim = false, bool gray = false,
                        CoefficientMemory* memory = nullptr);

}  // namespace testsupport

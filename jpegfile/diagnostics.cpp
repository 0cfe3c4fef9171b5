#include "jpegfile/diagnostics.h"

namespace {
FILE* diagnosticStream = nullptr;
}

FILE* sectionDiagnostics() { return diagnosticStream ? diagnosticStream : stdout; }

void setSectionDiagnostics(FILE* stream) { diagnosticStream = stream; }

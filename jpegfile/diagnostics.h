#pragma once
// Where the section container writes its short diagnostic lines ("Not JPEG: ...", "too many
// padding bytes", the thumbnail notes). Standard output unless a front end whose standard
// output carries results of its own sends them elsewhere.

#include <cstdio>

FILE* sectionDiagnostics();
void setSectionDiagnostics(FILE* stream);  // null restores standard output

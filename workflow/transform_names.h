#pragma once
// The eight transforms by the names people type: "rotate 90", "flip horizontal", ...

#include <string>

#include "transform/transform_setup.h"

// `name` in any letter case as one of the eight; false when it names none of them.
bool transformKindFromAnyName(const std::string& name, TransformKind* kind);

// The name of `kind` ("rotate 270"); "none" for a code outside the enumeration.
const char* transformNameOf(TransformKind kind);

// Every name, in the order the help lists them: "rotate 90, rotate 180, ..., none".
std::string transformNameList();

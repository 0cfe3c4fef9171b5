#pragma once
// A plan as text, one JSON object a line: what --dry-run --json prints for each photo and what
// --apply reads back. Only a line's path, turn and upright decide; the other members say what
// the dry run found (the reason, the orientation tag, the stored turn, the edge strip, a refusal
// and the outcome).

#include <cstdio>
#include <string>

#include "workflow/plan.h"
#include "workflow/rotate_result.h"

// The plan line of `photo`, whose dry run found `foreseen`: {"path":..., "turn":"rotate 270",
// "upright":false, "reason":"fixed turn", "orientation":1, "stored":"rotate 270",
// "edgeStrip":{"rows":8,"columns":0} or null, "refusal":{"reason":..., "detail":...} or null,
// "outcome":"turn", "leave" or "refuse"}. The path gives back its bytes exactly (jsonPath).
std::string planLine(const PlannedPhoto& photo, const RotateResult& foreseen);

// The photos of the plan lines in `in`, in their order, each with the reason Choice. Blank lines
// are passed over. False, with `*error` naming the line ("plan line 3: no turn"), when a line is
// no JSON object, is too long, lacks a path, a turn or upright, names an unknown turn, or names a
// photo an earlier line named: then nothing of the plan may be turned.
bool readPlanLines(std::FILE* in, Plan* plan, std::string* error);

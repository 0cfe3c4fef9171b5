#pragma once
// What a review tile shows of its photo, in words and marks the window draws: drawn plainly when
// it stays as it is, marked when it will change (with the planned turn, as the viewer will see
// it), with a warning when it is known to be refused; its name, the last run's result below it,
// and a tooltip that says all of it with the reasons.

#include <string>

#include "app/shell/review_plan.h"

namespace shell {

enum class TileMark { Stays, Changes, Refused, Unknown };

struct TileLook {
    TileMark mark = TileMark::Unknown;
    TransformKind turn = TransformKind::None;  // the picture is shown with this turn; marked when not None
    bool tagMadeUpright = false;  // the stored picture is made upright by its tag: it looks the same
    std::string name;     // the file's name
    std::string caption;  // the last run's result: "Turned", "Not turned", ...; before a run
                          // "Cannot be turned" for a photo known to be refused, else empty
    std::string tooltip;  // lines: the path, the plan or the refusal, the edge strip, the result
};

TileLook tileLook(const ReviewPlan& plan, std::size_t index);

// "Turn 12 photos", "Turn 1 photo", "Nothing to turn".
std::string turnButtonText(std::size_t photos);

}  // namespace shell

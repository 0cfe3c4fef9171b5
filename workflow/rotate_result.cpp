#include "workflow/rotate_result.h"

#include <utility>

std::string refusalText(const RotateResult& result) { return Refusal{result.reason, result.detail}.text(); }

RotateResult refusal(RefusalReason reason, std::string detail) {
    RotateResult result;
    result.outcome = FileOutcome::Refused;
    result.reason = reason;
    result.detail = std::move(detail);
    return result;
}

RotateResult refusal(const Refusal& why) { return refusal(why.reason, why.detail); }

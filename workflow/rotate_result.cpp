#include "workflow/rotate_result.h"

#include <utility>

std::string reasonText(RefusalReason reason) {
    switch (reason) {
    case RefusalReason::None: return "";
    case RefusalReason::NotRegularFile: return "not a regular file";
    case RefusalReason::CannotRead: return "the file cannot be read";
    case RefusalReason::InUse: return "another run of Pivora is turning it";
    case RefusalReason::NotJpeg: return "not a JPEG file";
    case RefusalReason::UnreadableMetadata: return "its metadata cannot be read";
    case RefusalReason::DamagedData: return "damaged picture data";
    case RefusalReason::Unsupported: return "a kind of JPEG that cannot be turned without loss";
    case RefusalReason::FurtherPicture: return "a picture stored inside it cannot be turned";
    case RefusalReason::NotEnoughMemory: return "not enough memory";
    case RefusalReason::NoPermission: return "no permission to write";
    case RefusalReason::AttributesNotKept: return "its owner, group or attributes could not be kept";
    case RefusalReason::BackupNameTaken: return "the name for its backup is taken by something that is not a file";
    case RefusalReason::ChangedByOther: return "changed by another program while being turned";
    case RefusalReason::WriteFailed: return "the turned file could not be written";
    }
    return "";
}

std::string refusalText(const RotateResult& result) {
    std::string text = reasonText(result.reason);
    if (!result.detail.empty()) text += " (" + result.detail + ")";
    return text;
}

RotateResult refusal(RefusalReason reason, std::string detail) {
    RotateResult result;
    result.outcome = FileOutcome::Refused;
    result.reason = reason;
    result.detail = std::move(detail);
    return result;
}

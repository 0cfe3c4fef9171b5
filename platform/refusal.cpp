#include "platform/refusal.h"

namespace {

struct ReasonWords {
    RefusalReason reason;
    const char* text;
};

constexpr ReasonWords kReasonWords[] = {
    {RefusalReason::None, ""},
    {RefusalReason::NotRegularFile, "not a regular file"},
    {RefusalReason::CannotRead, "the file cannot be read"},
    {RefusalReason::InUse, "another run of Pivora is turning it"},
    {RefusalReason::NotJpeg, "not a JPEG file"},
    {RefusalReason::UnreadableMetadata, "its metadata cannot be read"},
    {RefusalReason::DamagedData, "damaged picture data"},
    {RefusalReason::Unsupported, "a kind of JPEG that cannot be turned without loss"},
    {RefusalReason::FurtherPicture, "a picture stored inside it cannot be turned"},
    {RefusalReason::NotEnoughMemory, "not enough memory"},
    {RefusalReason::NoPermission, "no permission to write"},
    {RefusalReason::AttributesNotKept, "its owner, group or attributes could not be kept"},
    {RefusalReason::ChangedByOther, "changed by another program while being turned"},
    {RefusalReason::WriteFailed, "the turned file could not be written"},
    {RefusalReason::BackupNameTaken, "the name for its backup is taken by something that is not a file"},
    {RefusalReason::OutputExists, "a file of that name exists"},
    {RefusalReason::SeveralNames, "it has several names (hard links): turning it under one would leave the others unturned"},
    {RefusalReason::PathTooLong, "the path is longer than the system allows"},
    {RefusalReason::EdgeStripDropped, "the turn would drop an edge strip"},
    {RefusalReason::TrashUnavailable, "its original cannot be kept in the Trash"},
    {RefusalReason::ChangedSinceRun, "it changed since that run"},
    {RefusalReason::CannotBeUndone, "its turn dropped an edge strip and its original was not kept"},
    {RefusalReason::ChangedSinceShown, "it changed on disk after it was shown: it is shown again as it is now"},
};

}  // namespace

std::string reasonText(RefusalReason reason) {
    for (const ReasonWords& words : kReasonWords)
        if (words.reason == reason) return words.text;
    return "";
}

std::string Refusal::text() const {
    std::string text = reasonText(reason);
    if (!detail.empty()) text += " (" + detail + ")";
    return text;
}

#include "platform/pending_name.h"

#include <cstdint>
#include <cstring>
#include <random>

namespace platform {
namespace {

constexpr const char* kMarker = ".pivora-";
constexpr std::size_t kRandomLength = 8;
constexpr std::size_t kCheckLength = 4;
constexpr std::size_t kMaxNameLength = 255;  // NAME_MAX of the common file systems
constexpr const char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr std::size_t kAlphabetSize = sizeof kAlphabet - 1;

std::size_t tailLength() { return std::strlen(kMarker) + 1 + kRandomLength + kCheckLength; }

char kindLetter(PendingKind kind) {
    switch (kind) {
        case PendingKind::Rewrite: return 'n';
        case PendingKind::WaitingBackup: return 'b';
        case PendingKind::WaitingBackupOfLongName: return 't';
    }
    return '?';
}

std::optional<PendingKind> kindOf(char letter) {
    for (PendingKind kind : {PendingKind::Rewrite, PendingKind::WaitingBackup, PendingKind::WaitingBackupOfLongName})
        if (kindLetter(kind) == letter) return kind;
    return std::nullopt;
}

// FNV-1a of the name up to the check, written in the alphabet.
std::string checkOf(const std::string& head) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : head) hash = (hash ^ c) * 16777619u;
    std::string check;
    for (std::size_t i = 0; i < kCheckLength; ++i, hash /= kAlphabetSize) check += kAlphabet[hash % kAlphabetSize];
    return check;
}

std::string randomPart() {
    thread_local std::mt19937_64 generator{(std::uint64_t{std::random_device{}()} << 32) ^ std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabetSize - 1);
    std::string part;
    for (std::size_t i = 0; i < kRandomLength; ++i) part += kAlphabet[pick(generator)];
    return part;
}

}  // namespace

std::string newPendingName(const std::string& photoName, PendingKind kind) {
    const std::size_t room = kMaxNameLength - 1 - tailLength();
    if (photoName.size() > room && kind == PendingKind::WaitingBackup) kind = PendingKind::WaitingBackupOfLongName;
    const std::string head = "." + photoName.substr(0, room) + kMarker + kindLetter(kind) + randomPart();
    return head + checkOf(head);
}

std::optional<PendingName> parsePendingName(const std::string& name) {
    if (name.size() < 2 + tailLength() || name[0] != '.') return std::nullopt;
    const std::size_t markerAt = name.size() - tailLength();
    if (name.compare(markerAt, std::strlen(kMarker), kMarker) != 0) return std::nullopt;
    const std::string head = name.substr(0, name.size() - kCheckLength);
    if (name.compare(head.size(), kCheckLength, checkOf(head)) != 0) return std::nullopt;
    const std::optional<PendingKind> kind = kindOf(name[markerAt + std::strlen(kMarker)]);
    if (!kind) return std::nullopt;
    return PendingName{*kind, name.substr(1, markerAt - 1)};
}

}  // namespace platform

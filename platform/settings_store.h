#pragma once
// The per-user settings store: named integer and text values in sections, under the
// company and application keys the store was opened with.

#include <string>

namespace platform {

struct SettingsStore {
    virtual ~SettingsStore() = default;
    // The stored integer, or `fallback` when the value is absent or not a number.
    virtual int readInt(const std::string& section, const std::string& name, int fallback) = 0;
    // Stores `value`; a failure to store is not reported (the next read gives the old value).
    virtual void writeInt(const std::string& section, const std::string& name, int value) = 0;
    // The stored text, or `fallback` when the value is absent.
    virtual std::string readText(const std::string& section, const std::string& name,
                                 const std::string& fallback) = 0;
    // Stores `value`; as writeInt.
    virtual void writeText(const std::string& section, const std::string& name, const std::string& value) = 0;
};

}  // namespace platform

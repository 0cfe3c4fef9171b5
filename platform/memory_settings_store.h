#pragma once
// A settings store held in memory, for tests: what is written can be read back and inspected.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/settings_store.h"

namespace platform {

class MemorySettingsStore : public SettingsStore {
public:
    int readInt(const std::string& section, const std::string& name, int fallback) override {
        reads_.push_back(name);
        auto it = ints_.find(key(section, name));
        return it == ints_.end() ? fallback : it->second;
    }
    void writeInt(const std::string& section, const std::string& name, int value) override {
        ints_[key(section, name)] = value;
        writes_.push_back(name);
    }
    std::string readText(const std::string& section, const std::string& name, const std::string& fallback) override {
        reads_.push_back(name);
        auto it = texts_.find(key(section, name));
        return it == texts_.end() ? fallback : it->second;
    }
    void writeText(const std::string& section, const std::string& name, const std::string& value) override {
        texts_[key(section, name)] = value;
        writes_.push_back(name);
    }

    // Value names in the order they were read, and written.
    const std::vector<std::string>& reads() const { return reads_; }
    const std::vector<std::string>& writes() const { return writes_; }

private:
    using Key = std::pair<std::string, std::string>;
    static Key key(const std::string& section, const std::string& name) { return {section, name}; }
    std::map<Key, int> ints_;
    std::map<Key, std::string> texts_;
    std::vector<std::string> reads_;
    std::vector<std::string> writes_;
};

}  // namespace platform

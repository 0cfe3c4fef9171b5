#pragma once
// What the readers of a photo's metadata had to say about it: the faults they met and went past
// (a value pointer outside the block, a directory linked twice). The notes travel with the photo's
// record; --info prints them.

#include <string>
#include <vector>

class ReaderNotes {
public:
    // `format` may hold up to two integer placeholders (%d, %04x, ...), filled from `first` and
    // `second`. At most kMaxKept notes are kept: a hostile block cannot make the record grow.
    void reportError(const char* format, int first = 0, int second = 0);
    const std::vector<std::string>& messages() const { return messages_; }
    bool empty() const { return messages_.empty(); }
    const std::string& last() const { return messages_.back(); }

    static constexpr std::size_t kMaxKept = 100;

private:
    std::vector<std::string> messages_;
};

#include "workflow/natural_order.h"

#include <cstddef>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

unsigned char folded(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// The run of digits that starts at `at`: where its leading zeros end and where it ends.
struct DigitRun {
    std::size_t significant, end;
};

DigitRun digitRunAt(const std::string& text, std::size_t at) {
    while (at < text.size() && text[at] == '0') ++at;
    DigitRun run{at, at};
    while (run.end < text.size() && isDigit(text[run.end])) ++run.end;
    return run;
}

// Two numbers of any length by value: the one with more significant digits is larger; the same
// number of digits compare digit by digit.
int compareNumbers(const std::string& a, const DigitRun& x, const std::string& b, const DigitRun& y) {
    const std::size_t lengthA = x.end - x.significant, lengthB = y.end - y.significant;
    if (lengthA != lengthB) return lengthA < lengthB ? -1 : 1;
    const int digits = a.compare(x.significant, lengthA, b, y.significant, lengthB);
    return digits < 0 ? -1 : digits > 0 ? 1 : 0;
}

// A name read as a sequence of tokens: each run of digits one number, each other byte itself,
// letters folded to lower case. A number ranks among the bytes where the digits stand, so that
// the tokens are totally ordered and names with a number and names with a letter at the same
// place keep the order their bytes give.
int compareNatural(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const DigitRun x = digitRunAt(a, i), y = digitRunAt(b, j);
            if (int order = compareNumbers(a, x, b, y)) return order;
            i = x.end;
            j = y.end;
            continue;
        }
        const unsigned char p = folded(a[i]), q = folded(b[j]);
        if (p != q) return p < q ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

}  // namespace

bool naturalLess(const std::string& a, const std::string& b) {
    if (int order = compareNatural(a, b)) return order < 0;
    return a < b;
}

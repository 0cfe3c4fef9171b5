#include "jpegfile/base64.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int valueOf(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

bool decodeBase64(const std::string& text, std::vector<unsigned char>* bytes) {
    bytes->clear();
    if (text.size() % 4 != 0) return false;
    bytes->reserve(text.size() / 4 * 3);
    for (std::size_t at = 0; at < text.size(); at += 4) {
        const bool last = at + 4 == text.size();
        const int padding = last ? (text[at + 3] == '=') + (text[at + 2] == '=' && text[at + 3] == '=') : 0;
        unsigned group = 0;
        for (int i = 0; i < 4; ++i) {
            const int value = i >= 4 - padding ? 0 : valueOf(text[at + static_cast<std::size_t>(i)]);
            if (value < 0) return false;
            group = group << 6 | static_cast<unsigned>(value);
        }
        for (int i = 0; i < 3 - padding; ++i) bytes->push_back(static_cast<unsigned char>(group >> (16 - 8 * i)));
    }
    return true;
}

std::string encodeBase64(const std::vector<unsigned char>& bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t count = bytes.size() - at < 3 ? bytes.size() - at : 3;
        unsigned group = 0;
        for (std::size_t i = 0; i < 3; ++i) group = group << 8 | (i < count ? bytes[at + i] : 0u);
        for (std::size_t i = 0; i < 4; ++i) text += i <= count ? kAlphabet[(group >> (18 - 6 * i)) & 0x3F] : '=';
    }
    return text;
}

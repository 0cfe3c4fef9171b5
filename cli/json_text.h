#pragma once
// JSON text for pivora-cli --info.

#include <cstddef>
#include <string>

// A JSON string literal of the bytes, quotes included. Valid UTF-8 passes through; control
// characters are escaped; a byte that is not part of valid UTF-8 is taken as the Latin-1
// character of the same value and written as \u00XX, so that no byte is lost.
std::string jsonString(const char* bytes, std::size_t size);
std::string jsonString(const std::string& text);
// A text field of a fixed-size record: up to its first zero byte, at most `fieldSize` bytes.
std::string jsonField(const char* field, std::size_t fieldSize);

// The shortest decimal form that reads back as the same float; null for NaN and infinities.
std::string jsonNumber(float value);

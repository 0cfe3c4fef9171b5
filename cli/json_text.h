#pragma once
// JSON text for pivora-cli --info.

#include <cstddef>
#include <string>

// A JSON string literal of the bytes, quotes included. Valid UTF-8 passes through; control
// characters are escaped; a byte that is not part of valid UTF-8 is taken as the Latin-1
// character of the same value and written as \u00XX, so that no byte is lost.
std::string jsonString(const char* bytes, std::size_t size);
std::string jsonString(const std::string& text);
// A path as a JSON string literal that gives back its bytes exactly: as jsonString, but a byte
// that is not part of valid UTF-8 is written as the lone low surrogate \udc80 to \udcff (U+DC00
// plus the byte), the surrogate-escape convention of file names that are not UTF-8.
std::string jsonPath(const std::string& path);
// JSON text that means the same and that a terminal takes as text alone: DEL and the C1 controls
// (U+0080 to U+009F), which JSON allows raw inside strings, written as \u escapes. Raw control
// characters below U+0020 cannot stand in JSON text; any found are escaped the same way.
std::string jsonForTerminal(const std::string& json);
// A text field of a fixed-size record: up to its first zero byte, at most `fieldSize` bytes.
std::string jsonField(const char* field, std::size_t fieldSize);

// The shortest decimal form that reads back as the same float; null for NaN and infinities.
std::string jsonNumber(float value);

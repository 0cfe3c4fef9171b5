#pragma once
// Base64 (RFC 4648, the standard alphabet, '=' padding), for pictures carried in text.

#include <string>
#include <vector>

// The bytes `text` codes; false when it holds anything but the alphabet and its padding, or its
// length is no whole number of groups.
bool decodeBase64(const std::string& text, std::vector<unsigned char>* bytes);

// The text coding `bytes`, padded, without line breaks.
std::string encodeBase64(const std::vector<unsigned char>& bytes);

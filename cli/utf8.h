#pragma once
// UTF-8, as far as the console's texts need it.

#include <cstddef>

// Length of the valid UTF-8 sequence at `at` (1..4 bytes, of `left` there), or 0 when the bytes
// there are not one: overlong forms, surrogates and code points past U+10FFFF are not valid.
std::size_t utf8SequenceLength(const unsigned char* at, std::size_t left);

#pragma once
// A file read into memory in one piece, so that every picture in it is turned from one buffer.

#include <cstdio>
#include <vector>

// Appends everything from the stream's position to its end to `bytes`. false on a read error
// or when the memory cannot be had; `bytes` then holds what was read.
bool readWholeStream(FILE* stream, std::vector<unsigned char>* bytes);

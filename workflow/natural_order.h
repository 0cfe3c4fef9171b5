#pragma once
// The order in which a run takes the entries of a folder: the order a person reads the names in.

#include <string>

// True when `a` comes before `b`: numbers compare as numbers (DSC_2 before DSC_10), letters
// without regard to case (ASCII), other bytes as they are. Names alike by that measure
// ("IMG_01" and "IMG_1", "a" and "A") come in the order of their raw bytes, so that the order is
// total and a listing comes out the same on every run.
bool naturalLess(const std::string& a, const std::string& b);

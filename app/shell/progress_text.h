#pragma once
// The status window's words for where a run stands, besides "12 of 340": the time left and the
// files that could not be turned so far.

#include <chrono>
#include <cstddef>
#include <string>

namespace shell {

// "about 2 minutes left" (or seconds, hours, "a few seconds left") when `done` of `total` files
// took `elapsed`; empty while too little is known to tell (no file done, or fewer than three and
// less than five seconds gone) and once every file is done.
std::string timeLeftText(std::size_t done, std::size_t total, std::chrono::steady_clock::duration elapsed);

// "1 could not be turned", "3 could not be turned"; empty for none.
std::string failedSoFarText(std::size_t failed);

}  // namespace shell

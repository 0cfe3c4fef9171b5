#pragma once
// Where the help document is looked for.

#include <string>
#include <vector>

namespace shell {

inline constexpr const char* kHelpFileName = "PIVORA.HLP";

// The places of the help document, in the order they are tried: next to the executable
// (`executablePath` cut at its last "/"), then in each of `dataDirs`; empty and repeated
// folders are left out.
std::vector<std::string> helpFileCandidates(const std::string& executablePath,
                                            const std::vector<std::string>& dataDirs);

}  // namespace shell

#include "cli/verb_arguments.h"

#include <algorithm>

namespace {

// The parser names the option first ("--jobs: 1 required UINT:N missing"); its own words are
// replaced by what the option needs.
std::string inOwnWords(const std::string& parserWords, const std::vector<ValueNeed>& needs) {
    for (const ValueNeed& need : needs)
        if (parserWords.rfind(need.option + ":", 0) == 0) return need.option + " needs " + need.needs;
    return parserWords;
}

}  // namespace

int parseVerbArguments(CLI::App& parser, Arguments args, const std::vector<ValueNeed>& needs) {
    parser.allow_extras();  // reported below in the program's own words
    std::reverse(args.begin(), args.end());  // the parser takes a vector last argument first
    try {
        parser.parse(args);
    } catch (const CLI::CallForHelp&) {
        return printHelp();
    } catch (const CLI::ParseError& error) {
        return usageError(inOwnWords(error.what(), needs));
    }
    for (const std::string& extra : parser.remaining())
        if (extra != "--") return usageError("unknown option '" + extra + "'");
    return -1;
}

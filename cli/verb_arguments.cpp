#include "cli/verb_arguments.h"

#include <algorithm>

int parseVerbArguments(CLI::App& parser, Arguments args) {
    parser.allow_extras();  // reported below in the program's own words
    std::reverse(args.begin(), args.end());  // the parser takes a vector last argument first
    try {
        parser.parse(args);
    } catch (const CLI::CallForHelp&) {
        return printHelp();
    } catch (const CLI::ParseError& error) {
        return usageError(error.what());
    }
    for (const std::string& extra : parser.remaining())
        if (extra != "--") return usageError("unknown option '" + extra + "'");
    return -1;
}

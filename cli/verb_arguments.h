#pragma once
// A verb's own arguments read by the option parser, its complaints said in the program's words.

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "cli/commands.h"

// What an option that takes a value needs, said when its value is missing or not one it takes:
// {"--jobs", "a number from 1 to 9999"} gives "--jobs needs a number from 1 to 9999".
struct ValueNeed {
    std::string option;
    std::string needs;
};

// Parses `args` with `parser`: -1 when they are understood; otherwise the exit status, after the
// help (a parser that has a help flag) or a usage error. An argument that looks like an option
// the verb does not know is a usage error; a lone -- ends the options.
int parseVerbArguments(CLI::App& parser, Arguments args, const std::vector<ValueNeed>& needs = {});

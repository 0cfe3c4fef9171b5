#pragma once
// The verbs of pivora-cli. Each takes the arguments that follow the program name and returns
// the exit status: 0 success, 1 a file could not be handled, 2 a usage error.

#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

int runTranscodeCommand(const Arguments& args);  // --transcode IN OUT [options]
int runInfoCommand(const Arguments& args);       // --info [--tags] FILE...
int runRotateCommand(const Arguments& args);     // [options] PATH...: the main job
int runUndoCommand(const Arguments& args);       // --undo [RUN]
int runListRunsCommand(const Arguments& args);   // --list-runs

// Prints "pivora-cli: <message>" and a hint to --help on standard error; returns 2.
int usageError(const std::string& message);
// Prints the help on standard output; returns 0.
int printHelp();

// What the executable does with its arguments, before any window opens: none runs the
// program; --version and --help print and end it; anything else is refused with the usage.
#pragma once

#include <span>
#include <string>

struct CommandLineOutcome {
  bool runProgram;  // false: end at once with exitCode
  int exitCode;     // 0 after --version or --help, 2 after an argument refused
};

// args are the arguments after the program's name. The text for standard output goes to out,
// the text for standard error to err, each ending with a line feed when not empty. When both
// --help and --version are given, the first decides.
CommandLineOutcome ReadCommandLine(std::span<const char* const> args, std::string& out,
                                   std::string& err);

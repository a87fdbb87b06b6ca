// What the executable does with its arguments, before any window opens: none runs the
// program; one folder runs it with that folder in the Directory box; --version and the help
// print and end it; anything else is refused with the usage.
#pragma once

#include <span>
#include <string>

struct CommandLineOutcome {
  bool runProgram;     // false: end at once with exitCode
  int exitCode;        // 0 after --version or the help, 2 after arguments refused
  std::string folder;  // for the Directory box; empty when none was given
};

// args are the arguments after the program's name. The text for standard output goes to out,
// the text for standard error to err, each ending with a line feed when not empty. "help",
// "-h" and "--help" (and "/?" on Windows) print the help. A folder (any other argument that
// does not start with "-") is made absolute against the current folder when it can be, and
// resolved as MakeAbsolute resolves it; a path need not exist, since the clean says why it
// cannot search it, but a bare word (no separator) must be a folder there, or it is refused as
// a mistyped command. More than one argument, an unknown option or an empty folder name is
// refused, with the usage.
CommandLineOutcome ReadCommandLine(std::span<const char* const> args, std::string& out,
                                   std::string& err);

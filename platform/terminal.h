// Whether a standard stream is a terminal: the command line redraws its progress and asks
// its questions only where a person is watching.
#pragma once

#include <cstdio>

bool IsTerminal(std::FILE* stream);

// On Windows, where the program is a windowed one: gives it the console of the program that
// started it, when it has one, for each standard stream not already redirected to a file or a
// pipe. Returns whether standard output and standard error now lead somewhere; when they do
// not, text written to them is lost and belongs in a message box instead. Elsewhere the
// streams are always there: does nothing and returns true.
bool UseParentConsole();

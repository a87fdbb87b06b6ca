// Whether a standard stream is a terminal: the command line redraws its progress and asks
// its questions only where a person is watching.
#pragma once

#include <cstdio>
#include <string_view>

bool IsTerminal(std::FILE* stream);

// Writes UTF-8 text to stream. A Windows console shows text in its own code page, whatever
// the program's: there the text goes to it as UTF-16 characters, so that every name reads as
// it is. To a file, a pipe, or anywhere on Linux, the bytes go as they are.
void WriteText(std::FILE* stream, std::string_view text);

// On Windows, where the program is a windowed one: gives it the console of the program that
// started it, when it has one, for each standard stream not already redirected to a file or a
// pipe. Returns whether standard output and standard error now lead somewhere; when they do
// not, text written to them is lost and belongs in a message box instead. Elsewhere the
// streams are always there: does nothing and returns true.
bool UseParentConsole();

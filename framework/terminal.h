// Whether a standard stream is a terminal: the command line redraws its progress and asks
// its questions only where a person is watching.
#pragma once

#include <cstdio>

bool IsTerminal(std::FILE* stream);

// On Windows, where the program is a windowed one: gives the command line the console of the
// program that started it, when it has one, for each standard stream not already redirected
// to a file or a pipe. Does nothing elsewhere, and nothing when there is no such console.
void UseParentConsole();

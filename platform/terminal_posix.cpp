// IsTerminal over isatty.
#include "platform/terminal.h"

#include <unistd.h>

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

bool UseParentConsole() { return true; }

// IsTerminal over isatty; text goes out as its bytes.
#include "platform/terminal.h"

#include <unistd.h>

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

void WriteText(std::FILE* stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

bool UseParentConsole() { return true; }

// Printing for the command line.
#include "cli/cli_io.h"

#include "platform/platform_files.h"
#include "platform/terminal.h"

void Print(std::FILE* stream, std::string_view text) { WriteText(stream, text); }

void PrintFailure(const CliStreams& io, std::string_view what, std::string_view path,
                  std::error_code reason) {
  std::string line = "quillmar: ";
  line += what;
  if (!path.empty()) {
    line += ": ";
    line += path;
  }
  if (reason) line += ": " + ErrorText(reason);
  line += '\n';
  Print(io.err, line);
}

int UsageError(const CliStreams& io, std::string_view command, std::string_view message,
               std::string_view usage) {
  std::string text = "quillmar ";
  text += command;
  text += ": ";
  text += message;
  text += '\n';
  text += usage;
  Print(io.err, text);
  return kExitUsage;
}

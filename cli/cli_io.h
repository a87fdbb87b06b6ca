// What every command of the command line shares: its streams, its exit codes, and the way it
// names a failure (program, what failed, the path, the system's reason) on standard error.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

inline constexpr int kExitDone = 0;     // everything asked for was done
inline constexpr int kExitPartly = 1;   // something was not, and standard error says what
inline constexpr int kExitUsage = 2;    // the arguments were not understood

// The streams a command talks through; the tests of the commands run the real executable,
// so these are the process's own.
struct CliStreams {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  std::FILE* in = stdin;
};

using CliArgs = std::span<const char* const>;

void Print(std::FILE* stream, std::string_view text);
// "quillmar: what: path: reason\n" on standard error, leaving out whatever is empty.
void PrintFailure(const CliStreams& io, std::string_view what, std::string_view path,
                  std::error_code reason = {});
// "quillmar COMMAND: message" and the command's usage, on standard error; returns kExitUsage.
int UsageError(const CliStreams& io, std::string_view command, std::string_view message,
               std::string_view usage);

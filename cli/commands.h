// The command line's commands, each run with the arguments after its name: clean, list,
// restore, versions, prune and store. Each returns the process's exit code (cli_io.h).
#pragma once

#include <string_view>

#include "cli/cli_io.h"

// True when word names a command, so the program runs it instead of opening its window.
bool IsCliCommand(std::string_view word);
// args[0] is the command's name.
int RunCliCommand(CliArgs args, const CliStreams& io = {});

int RunClean(CliArgs args, const CliStreams& io);
int RunList(CliArgs args, const CliStreams& io);
int RunRestore(CliArgs args, const CliStreams& io);
int RunStore(CliArgs args, const CliStreams& io);
int RunVersions(CliArgs args, const CliStreams& io);
int RunPrune(CliArgs args, const CliStreams& io);

// The synopsis of every command, for the program's own --help.
extern const char* const kCommandsSynopsis;

// Which command runs.
#include "cli/commands.h"

const char* const kCommandsSynopsis =
    "       quillmar clean [--dry-run] [--files PATTERN] FOLDER\n"
    "       quillmar list [--under FOLDER] [--json | -0]\n"
    "       quillmar restore [--yes | --no-clobber] [--as-of TIME]\n"
    "                        (ENTRY... | --under FOLDER | --all)\n"
    "       quillmar versions ENTRY\n"
    "       quillmar prune [--dry-run] [--keep-last N] [--older-than DAYS]\n"
    "       quillmar store\n";

namespace {

struct Command {
  std::string_view name;
  int (*run)(CliArgs args, const CliStreams& io);
};

constexpr Command kCommands[] = {{"clean", RunClean},     {"list", RunList},
                                 {"restore", RunRestore}, {"versions", RunVersions},
                                 {"prune", RunPrune},     {"store", RunStore}};

}  // namespace

bool IsCliCommand(std::string_view word) {
  for (const Command& command : kCommands) {
    if (command.name == word) return true;
  }
  return false;
}

int RunCliCommand(CliArgs args, const CliStreams& io) {
  for (const Command& command : kCommands) {
    if (!args.empty() && command.name == args.front()) {
      const int code = command.run(args.subspan(1), io);
      std::fflush(io.out);
      std::fflush(io.err);
      return code;
    }
  }
  return kExitUsage;
}

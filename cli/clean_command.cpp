// quillmar clean: the walk of "Quillmar!" from a terminal or a script, with its failures and
// progress on standard error and its summary at the end; --dry-run only lists.
#include <string>

#include "cli/commands.h"
#include "cli/terminal_clean_reporter.h"
#include "engine/backup_store.h"
#include "engine/clean_folder.h"
#include "engine/folder_walk.h"
#include "platform/stop_requests.h"
#include "platform/terminal.h"

namespace {

constexpr const char* kCleanUsage =
    "Usage: quillmar clean [--dry-run] [--files PATTERN] FOLDER\n";

constexpr const char* kCleanHelp =
    "\n"
    "Backs up every file below FOLDER that passes the filter, as \"Quillmar!\" does: each is\n"
    "copied into the backups folder and its path recorded in list.txt. Nothing is changed,\n"
    "moved or deleted in FOLDER.\n"
    "\n"
    "Options:\n"
    "  --files PATTERN  back up only the files with PATTERN's extension (\"*.txt\": every .txt\n"
    "                   file, case-sensitively); every file when it is empty or \"*.*\"\n"
    "  --dry-run        list the files that would be backed up, and write nothing\n"
    "  --help           show this help\n"
    "\n"
    "Progress is redrawn on standard error while it is a terminal. Exit status: 0 when every\n"
    "file that passed the filter was protected, 1 when some were not (listed at the end, and\n"
    "in the store's unprotected.txt) or FOLDER cannot be searched, 2 for a usage error.\n"
    "Ctrl+C, SIGTERM or a closed terminal stops the clean after the file in hand, with all it\n"
    "copied recorded, flushed and counted: exit status 130, 143 or 129. A second Ctrl+C ends\n"
    "it at once.\n";

struct CleanOptions {
  bool dryRun = false;
  bool help = false;
  std::string pattern;
  std::string folder;
};

// Empty when the arguments are understood, else why not.
std::string ReadCleanArgs(CliArgs args, CleanOptions& options) {
  bool haveFolder = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help") {
      options.help = true;
    } else if (arg == "--dry-run") {
      options.dryRun = true;
    } else if (arg == "--files") {
      if (++i == args.size()) return "--files needs a PATTERN";
      options.pattern = args[i];
    } else if (arg.starts_with("--files=")) {
      options.pattern = arg.substr(8);
    } else if (arg == "--") {
      if (haveFolder || i + 2 != args.size()) return "give exactly one FOLDER";
      options.folder = args[++i];
      haveFolder = true;
    } else if (arg.starts_with("-") && arg.size() > 1) {
      return "unknown option '" + std::string(arg) + "'";
    } else {
      if (haveFolder) return "give exactly one FOLDER";
      options.folder = arg;
      haveFolder = true;
    }
  }
  if (!options.help && !haveFolder) return "missing FOLDER";
  // The window walks the root folder for an empty box; a script's empty variable must not.
  if (!options.help && options.folder.empty()) {
    return "FOLDER is empty (the root folder is " + CleanFolderShown("") + ")";
  }
  return {};
}

std::int32_t GoOn(const char*, const FindData*, std::int32_t) { return 1; }

// A preview's file that would be backed up: one line of standard output.
std::int32_t ListWouldBackUp(const char* path, const FindData*, std::int32_t) {
  Print(stdout, std::string(path) + '\n');
  return 1;
}

}  // namespace

int RunClean(CliArgs args, const CliStreams& io) {
  CleanOptions options;
  if (const std::string problem = ReadCleanArgs(args, options); !problem.empty()) {
    return UsageError(io, "clean", problem, kCleanUsage);
  }
  if (options.help) {
    Print(io.out, std::string(kCleanUsage) + kCleanHelp);
    return kExitDone;
  }
  std::error_code failure = MakeCleanFolderAbsolute(options.folder);
  if (!failure) failure = CleanFolderSearchFailure(options.folder);
  if (failure) {
    PrintFailure(io, "cannot search the folder", CleanFolderShown(options.folder), failure);
    return kExitPartly;
  }

  g_strFilter = options.pattern;
  ScopedStopRequests stopRequests;
  TerminalCleanReporter reporter(io, IsTerminal(io.err), &stopRequests);
  std::int32_t result = WALK_DONE;
  {
    ScopedCleanReporter reporting(reporter);
    if (options.dryRun) {
      result = WalkFolder(options.folder.c_str(), options.pattern.c_str(), ListWouldBackUp, 0,
                          WALK_FILES | WALK_PREVIEW);
    } else {
      result = WalkFolder(options.folder.c_str(), options.pattern.c_str(), GoOn, 0,
                          WALK_FILES | WALK_FOLDERS);
    }
  }
  reporter.EndProgress();
  std::fflush(io.out);

  const WalkProgress& counts = reporter.Progress();
  if (options.dryRun) {
    Print(io.err, std::to_string(counts.filesBackedUp) + " of " +
                      std::to_string(counts.filesVisited) +
                      " files visited would be backed up; nothing was written\n");
  } else {
    const char* stopped = stopRequests.Requested() ? "stopped: " : "";
    Print(io.out, "Quillmar: " + (stopped + CleanCounts(counts)) + "\n");
  }
  std::fflush(io.out);
  const auto& items = UnprotectedItems();
  if (!items.empty()) {
    std::string text = options.dryRun ? "These files and folders would not be protected:\n"
                                      : "These files and folders have no copy of their own:\n";
    if (!UnprotectedReportPath().empty()) {
      text += "(also in " + UnprotectedReportPath() + ")\n";
    }
    for (const UnprotectedItem& item : items) {
      text += "  " + item.path + "\n      " + item.reason + "\n";
    }
    Print(io.err, text);
  }
  if (stopRequests.Requested()) return stopRequests.ExitStatus();
  // A failure that spoils no count (the flush at the end) still means not everything is safe.
  const bool complete = result != WALK_STOPPED && counts.filesFailed == 0 && items.empty() &&
                        reporter.Failures() == 0;
  return complete ? kExitDone : kExitPartly;
}

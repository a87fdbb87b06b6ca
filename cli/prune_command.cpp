// quillmar prune: removes older versions, and only those, as the user asks; by default it
// removes nothing.
#include <cinttypes>
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/store_list.h"
#include "store/version_prune.h"

namespace {

constexpr const char* kPruneUsage =
    "Usage: quillmar prune [--dry-run] [--keep-last N] [--older-than DAYS]\n";

constexpr const char* kPruneHelp =
    "\n"
    "Removes older versions of the backed-up paths (below versions/ in the backups folder),\n"
    "never a path's own latest copy, a shared NAME + \"BACKUP\" copy, or the restoration\n"
    "list, so every entry still restores. Without an option nothing is removed.\n"
    "\n"
    "Options:\n"
    "  --keep-last N      keep the newest N versions of each path\n"
    "  --older-than DAYS  remove only versions taken more than DAYS days ago\n"
    "                     (with --keep-last too, a version goes only when both let it go)\n"
    "  --dry-run          print what would be removed, and remove nothing\n"
    "  --help             show this help\n"
    "\n"
    "Prints each version removed and the bytes freed (a file with other names frees none).\n"
    "Exit status: 0 when every version chosen was removed, 1 when one was not, 2 for a usage\n"
    "error.\n";

std::optional<std::int64_t> Count(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

int RunPrune(CliArgs args, const CliStreams& io) {
  PruneRule rule;
  bool dryRun = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help") {
      Print(io.out, std::string(kPruneUsage) + kPruneHelp);
      return kExitDone;
    } else if (arg == "--dry-run") {
      dryRun = true;
    } else if (arg == "--keep-last" || arg == "--older-than") {
      const std::optional<std::int64_t> value =
          i + 1 < args.size() ? Count(args[i + 1]) : std::nullopt;
      if (!value) {
        return UsageError(io, "prune", std::string(arg) + " needs a whole number", kPruneUsage);
      }
      ++i;
      if (arg == "--keep-last") {
        rule.keepLast = static_cast<int>(*value);
      } else {
        rule.keepYounger = *value * 86400;
      }
    } else {
      return UsageError(io, "prune", "unknown argument '" + std::string(arg) + "'", kPruneUsage);
    }
  }
  StoreList list;
  if (const std::error_code failure = ReadStoreList(list); failure && list.store.empty()) {
    PrintFailure(io, "no backups folder", "", failure);
    return kExitPartly;
  }
  const PruneResult result = PruneVersions(list.store, rule, SecondsNow(), dryRun);
  for (const Version& version : result.removed) {
    Print(io.out, std::string(dryRun ? "would remove: " : "removed: ") + version.path + "\n");
  }
  char summary[128];
  std::snprintf(summary, sizeof summary, "%s %zu %s, %" PRIu64 " bytes freed\n",
                dryRun ? "Would remove" : "Removed", result.removed.size(),
                result.removed.size() == 1 ? "version" : "versions", result.bytesFreed);
  Print(io.out, summary);
  if (result.failure) {
    PrintFailure(io, "cannot remove every version chosen", list.store, result.failure);
    return kExitPartly;
  }
  return kExitDone;
}

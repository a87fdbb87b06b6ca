// quillmar versions: every copy of a path that the store can restore from, newest first: its
// own latest copy, then the versions that cleans and restores kept. A path is found by its
// copies, so one whose entry has left the restoration list is found too.
#include <cinttypes>
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/store_list.h"
#include "store/versions.h"

namespace {

constexpr const char* kVersionsUsage = "Usage: quillmar versions ENTRY\n";

constexpr const char* kVersionsHelp =
    "\n"
    "Lists the copies of ENTRY's path that the store holds, newest first, one a line: the\n"
    "UTC time it was taken, its size in bytes, \"latest\" for the path's own copy or\n"
    "\"version\" for an older one, and the copy's file in the store. ENTRY is a path as\n"
    "`quillmar list` prints it, or written relative to the current folder; it need not be in\n"
    "the restoration list any more. `quillmar restore --as-of TIME ENTRY` restores the\n"
    "newest copy taken at or before TIME.\n"
    "\n"
    "Exit status: 0 when the path has a copy, 1 when it has none, 2 for a usage error.\n";

}  // namespace

int RunVersions(CliArgs args, const CliStreams& io) {
  if (args.size() == 1 && std::string_view(args[0]) == "--help") {
    Print(io.out, std::string(kVersionsUsage) + kVersionsHelp);
    return kExitDone;
  }
  if (args.size() != 1 || std::string_view(args[0]).starts_with("-")) {
    return UsageError(io, "versions", "give one ENTRY", kVersionsUsage);
  }
  StoreList list;
  if (const std::error_code failure = ReadStoreList(list)) {
    PrintFailure(io, "cannot read the restoration list",
                 list.listPath.empty() ? "no backups folder" : list.listPath, failure);
    return kExitPartly;
  }
  const std::string path = TypedStorePath(list, args[0]);
  const std::vector<Version> copies = CopiesOf(list.store, path);
  if (copies.empty()) {
    PrintFailure(io, "no copy in the store", path);
    return kExitPartly;
  }
  for (const Version& copy : copies) {
    const std::string when =
        copy.timeKnown ? VersionTimeText(copy.takenAt) + " UTC" : std::string("time not noted");
    char line[96];
    std::snprintf(line, sizeof line, "%-21s %12" PRIu64 "  %-7s  ", when.c_str(), copy.size,
                  copy.ownCopy ? "latest" : "version");
    Print(io.out, line + copy.path + "\n");
  }
  return kExitDone;
}

// quillmar restore: the copy-back of "Restore" for chosen entries, those under a folder, or
// all of them, through the same store function as the dialog. Its questions go to the
// terminal; --yes and --no-clobber answer them for scripts.
#include <algorithm>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "cli/as_of_choice.h"
#include "cli/as_of_time.h"
#include "cli/commands.h"
#include "cli/entry_text.h"
#include "cli/store_list.h"
#include "cli/terminal_conversation.h"
#include "platform/folder_paths.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"
#include "platform/terminal.h"
#include "store/entry_restore.h"
#include "store/list_on_disk.h"
#include "store/restore_batch.h"
#include "store/versions.h"

namespace {

constexpr const char* kRestoreUsage =
    "Usage: quillmar restore [--yes | --no-clobber] [--as-of TIME]\n"
    "                        (ENTRY... | --under FOLDER | --all)\n";

constexpr const char* kRestoreHelp =
    "\n"
    "Copies the backup copy of each chosen entry back to its path, then takes the entry off\n"
    "the restoration list, as \"Restore\" does. An ENTRY is a path as `quillmar list` prints\n"
    "it; it may be written relative to the current folder, with \".\" and \"..\" parts and\n"
    "with doubled separators single.\n"
    "\n"
    "Options:\n"
    "  --under FOLDER  every entry in FOLDER or below it\n"
    "  --all           every entry\n"
    "  --as-of TIME    from the newest copy of each path taken at or before TIME (UTC):\n"
    "                  2026-12-07 (the end of that day), 2026-12-07 22:15,\n"
    "                  2026-12-07T22:15:03 or 2026-12-07 221503 (as `quillmar versions`\n"
    "                  prints it); an ENTRY then need not be in the list any more, only\n"
    "                  have copies in the store. With --under or --all it takes the\n"
    "                  entries there and every path there that the store holds copies\n"
    "                  of (below paths/ and versions/ in the backups folder), the list's\n"
    "                  entries first, then those paths in the order of their names; a\n"
    "                  path with no copy taken by TIME is left, and counted\n"
    "  --yes           answer yes to every question: replace files that are there, and\n"
    "                  restore a shared copy last taken from another file of the same name\n"
    "  --no-clobber    answer no to every question: such entries are left as they are\n"
    "  --help          show this help\n"
    "\n"
    "Without --yes or --no-clobber each question is asked on the terminal and read from\n"
    "standard input, [y/N/a/q]: y (or yes) is yes; a (or all) is yes to this question\n"
    "and to every later one of its kind; q (or quit) leaves this entry and stops, keeping\n"
    "what was restored before it; anything else is no. The end of the input is no answer:\n"
    "the entry is left, and said so. A file that a restore replaces is first kept in the\n"
    "store as a version of its path (see `quillmar versions`). The restoration list is\n"
    "rewritten once, when every chosen entry has been tried. Exit status: 0 when every\n"
    "chosen entry was restored, 1 when one was not (said on standard error), 2 for a\n"
    "usage error.\n";

// Restores one entry, from its newest copy or, with asOf, from the newest taken by then;
// false when it was not restored, after saying why on standard error.
bool RestoreOne(const std::string& entry, AsOfChoice* asOf, RestoreBatch& batch,
                TerminalConversation& conversation, const CliStreams& io) {
  RestoreOutcome outcome;
  if (!asOf) {
    outcome = batch.Restore(entry);
  } else if (const std::optional<std::string> copy = asOf->CopyFor(entry)) {
    outcome = batch.RestoreFrom(entry, *copy);
  } else {
    PrintFailure(io, "no copy taken at or before " + VersionTimeText(asOf->Time()) + " UTC", entry);
    return false;
  }
  switch (outcome.result) {
    case RestoreResult::kDeclined:
      // --no-clobber declined a question nobody saw: say what it was about.
      PrintFailure(io,
                   conversation.AnsweredByOptions()
                       ? "not restored under --no-clobber, as " + conversation.LastQuestionAbout()
                   : conversation.LastQuestionUnanswered()
                       ? "not restored, no answer before the end of input"
                   : conversation.Stopped() ? "not restored, stopped as answered"
                                            : "not restored, as answered",
                   entry);
      return false;
    case RestoreResult::kCopyMissing:
      PrintFailure(io, "no backup copy left to restore", entry, outcome.error);
      return false;
    case RestoreResult::kCopyFailed:
      PrintFailure(io, "cannot restore", entry, outcome.error);
      return false;
    case RestoreResult::kOverwriteFailed:
      PrintFailure(io, "cannot replace the file there", entry, outcome.error);
      return false;
    case RestoreResult::kRestored:
    case RestoreResult::kRestoredOverwriting:
      break;
  }
  Print(io.out, std::string(outcome.result == RestoreResult::kRestored ? "restored: "
                                                                       : "restored, replacing: ") +
                    entry + "\n");
  if (!outcome.keptVersion.empty()) {
    Print(io.out, "  the file it replaced is kept as " + outcome.keptVersion + "\n");
  }
  return true;
}

}  // namespace

int RunRestore(CliArgs args, const CliStreams& io) {
  Answers answers = Answers::kAsk;
  bool all = false;
  std::optional<std::string> under;
  std::optional<std::int64_t> asOf;
  std::vector<std::string> named;
  bool onlyNames = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (onlyNames) {
      named.emplace_back(arg);
    } else if (arg == "--help") {
      Print(io.out, std::string(kRestoreUsage) + kRestoreHelp);
      return kExitDone;
    } else if (arg == "--yes" || arg == "--no-clobber") {
      const Answers given = arg == "--yes" ? Answers::kYes : Answers::kNo;
      if (answers != Answers::kAsk && answers != given) {
        return UsageError(io, "restore", "--yes and --no-clobber exclude each other",
                          kRestoreUsage);
      }
      answers = given;
    } else if (arg == "--all") {
      all = true;
    } else if (arg == "--as-of") {
      if (++i == args.size())
        return UsageError(io, "restore", "--as-of needs a TIME", kRestoreUsage);
      asOf = ParseAsOfTime(args[i]);
      if (!asOf) {
        return UsageError(io, "restore", "'" + std::string(args[i]) + "' is not a time",
                          kRestoreUsage);
      }
    } else if (arg == "--under") {
      if (++i == args.size()) {
        return UsageError(io, "restore", "--under needs a FOLDER", kRestoreUsage);
      }
      under = UnderFolder(args[i]);
      if (!under) {
        return UsageError(io, "restore", "cannot tell where '" + std::string(args[i]) + "' lies",
                          kRestoreUsage);
      }
    } else if (arg == "--") {
      onlyNames = true;
    } else if (arg.starts_with("-") && arg.size() > 1) {
      return UsageError(io, "restore", "unknown option '" + std::string(arg) + "'", kRestoreUsage);
    } else {
      named.emplace_back(arg);
    }
  }
  if (static_cast<int>(all) + static_cast<int>(under.has_value()) +
          static_cast<int>(!named.empty()) !=
      1) {
    return UsageError(io, "restore", "give ENTRY..., --under FOLDER or --all", kRestoreUsage);
  }

  StoreList list;
  if (const std::error_code failure = ReadStoreList(list)) {
    PrintFailure(io, "cannot read the restoration list",
                 list.listPath.empty() ? "no backups folder" : list.listPath, failure);
    return kExitPartly;
  }
  std::optional<AsOfChoice> choice;
  if (asOf) choice.emplace(list.store, *asOf);
  bool complete = true;
  // The entries to restore, each once, in the order asked for (file order for a folder or
  // all of them): views into the list read, or into typed for paths found by their copies.
  std::vector<std::string_view> chosen;
  std::unordered_set<std::string_view> seen;
  std::deque<std::string> typed;
  auto choose = [&](std::string_view entry) {
    if (seen.insert(entry).second) chosen.push_back(entry);
  };
  // Each entry as recorded, and as list prints it, to its first record: looked up once for
  // every ENTRY named, however many there are.
  std::unordered_map<std::string_view, std::size_t> recorded;
  std::unordered_map<std::string, std::size_t> printed;
  if (!named.empty()) {
    for (std::size_t i = list.entries.size(); i-- > 0;) {
      recorded[list.entries[i]] = i;
      printed[EntryLine(list.entries[i])] = i;
    }
  }
  for (const std::string& name : named) {
    // As recorded, else as list prints it (control characters as \xHH): a recorded name that
    // reads like an escape is still itself.
    auto found = list.entries.end();
    if (const auto exact = recorded.find(name); exact != recorded.end()) {
      found = list.entries.begin() + static_cast<std::ptrdiff_t>(exact->second);
    } else if (const auto line = printed.find(name); line != printed.end()) {
      found = list.entries.begin() + static_cast<std::ptrdiff_t>(line->second);
    }
    if (found == list.entries.end()) {
      // Typed by hand: relative to where the command runs, with "." and ".." parts, separators
      // single or doubled.
      std::string absolute = name;
      if (MakeAbsolute(absolute)) absolute = name;
      found = std::find_if(list.entries.begin(), list.entries.end(),
                           [&](const std::string& entry) { return IsSamePath(entry, absolute); });
    }
    if (found == list.entries.end() && asOf) {
      // As of a time, a path is found by its copies, in the list or not.
      const std::string path = TypedStorePath(list, name);
      if (!CopiesOf(list.store, path).empty()) {
        choose(typed.emplace_back(path));
        continue;
      }
    }
    if (found == list.entries.end()) {
      PrintFailure(io, "not in the restoration list", name);
      complete = false;
    } else {
      choose(*found);
    }
  }
  if (choice && (all || under)) {
    AsOfChoice::Paths paths = choice->PathsUnder(list.entries, under);
    chosen.clear();
    seen.clear();
    for (std::string& path : paths.paths) choose(typed.emplace_back(std::move(path)));
    PrintPassedOver(io, paths.passedOver, *asOf);
  }
  for (const std::string& entry : list.entries) {
    if (!choice && (all || (under && LiesUnder(entry, *under)))) choose(entry);
  }
  if (chosen.empty() && complete) {
    Print(io.err, "quillmar: nothing to restore\n");
    return kExitDone;
  }

  ListOnDisk onDisk;
  onDisk.Loaded(list.listPath, std::move(list.contents));
  TerminalConversation conversation(io, answers, list.entries);
  RestoreBatch batch(list.store, onDisk, conversation);
  batch.PutLinksFirst(chosen);
  std::size_t tried = 0;
  for (const std::string_view view : chosen) {
    if (conversation.Stopped()) break;
    ++tried;
    const std::string entry(view);
    if (!RestoreOne(entry, choice ? &*choice : nullptr, batch, conversation, io)) {
      complete = false;
      continue;
    }
    // Further records of the same path lead to the same copy, which is now back in place:
    // restoring them again would only ask to replace the file with itself.
    for (std::size_t extra = conversation.RecordsLeft(entry); extra > 0; --extra) {
      batch.Forget(entry);
    }
  }
  if (tried < chosen.size()) {
    PrintFailure(
        io, "stopped as answered; entries not tried: " + std::to_string(chosen.size() - tried), "");
    complete = false;
  }
  const std::size_t dropped = batch.Dropped();
  const RestoreBatch::Ending ending = batch.Finish();
  if (ending.flushError) {
    PrintFailure(io, "restored, but writing the restored files to disk failed", "",
                 ending.flushError);
    complete = false;
  }
  if (ending.rewriteError) {
    PrintFailure(io,
                 "the restoration list could not be rewritten; " +
                     (dropped == 1 ? std::string("the record of the file restored is")
                                   : "the " + std::to_string(dropped) +
                                         " records of the files restored are") +
                     " still in it",
                 list.listPath, ending.rewriteError);
    complete = false;
  }
  return complete ? kExitDone : kExitPartly;
}

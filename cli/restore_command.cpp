// quillmar restore: the copy-back of "Restore" for chosen entries, those under a folder, or
// all of them, through the same store function as the dialog. Its questions go to the
// terminal; --yes and --no-clobber answer them for scripts.
#include <algorithm>
#include <list>
#include <string>
#include <vector>

#include "cli/as_of_choice.h"
#include "cli/as_of_time.h"
#include "cli/commands.h"
#include "cli/entry_text.h"
#include "cli/store_list.h"
#include "platform/folder_paths.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"
#include "platform/terminal.h"
#include "store/entry_restore.h"
#include "store/list_on_disk.h"
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
    "standard input; an answer other than y or yes is no, and the end of the input is no\n"
    "answer: the entry is left, and said so. A file that a restore replaces is first kept in\n"
    "the store as a version of its path (see `quillmar versions`). Exit status: 0 when\n"
    "every chosen entry was\n"
    "restored, 1 when one was not (said on standard error), 2 for a usage error.\n";

enum class Answers { kAsk, kYes, kNo };

class TerminalConversation : public RestoreConversation {
 public:
  TerminalConversation(const CliStreams& io, Answers answers,
                       const std::vector<std::string>& fileOrder)
      : m_io(io), m_answers(answers) {
    // Head first, as the dialog keeps them: the rewrite then writes the list as it would.
    for (const std::string& entry : fileOrder) m_entries.push_front(entry);
  }

  bool RestoreFromOtherOrigin(const std::string& origin, const std::string& entry) override {
    return Ask("The backup copy of " + entry + " was last taken from another file:\n  " + origin +
               "\nRestore that file's contents to " + entry + "?");
  }
  bool Overwrite(const std::string& entry) override {
    return Ask(entry + " already exists. Overwrite it?");
  }
  // True when the last question asked met the end of standard input, or a read error,
  // before any answer: taken as no, but not as answered.
  bool LastQuestionUnanswered() const { return m_unanswered; }
  bool DropEntry(const std::string& entry) override {
    const auto pos = std::find(m_entries.begin(), m_entries.end(), entry);
    if (pos == m_entries.end()) return false;
    m_entries.erase(pos);
    return true;
  }

 private:
  bool Ask(const std::string& question) {
    m_unanswered = false;
    if (m_answers != Answers::kAsk) return m_answers == Answers::kYes;
    Print(m_io.err, question + " [y/N] ");
    std::fflush(m_io.err);
    std::string answer;
    int c = std::fgetc(m_io.in);
    m_unanswered = c == EOF;
    for (; c != EOF && c != '\n'; c = std::fgetc(m_io.in)) answer += static_cast<char>(c);
    // A terminal has echoed the answer; one read from a pipe or a file is shown here, so a
    // log shows what was answered. Input that ended leaves the question's line to close.
    if (m_unanswered || !IsTerminal(m_io.in)) Print(m_io.err, answer + "\n");
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
  }

  CliStreams m_io;
  Answers m_answers;
  std::list<std::string> m_entries;
  bool m_unanswered = false;
};

// Restores one entry, from its newest copy or, with asOf, from the newest taken by then;
// false when it was not restored, after saying why on standard error.
bool RestoreOne(const StoreList& list, const std::string& entry, AsOfChoice* asOf,
                ListOnDisk& onDisk, TerminalConversation& conversation, const CliStreams& io) {
  RestoreOutcome outcome;
  if (!asOf) {
    outcome = RestoreEntry(list.store, entry, onDisk, conversation);
  } else if (const std::optional<std::string> copy = asOf->CopyFor(entry)) {
    outcome = RestoreEntryFrom(list.store, entry, *copy, onDisk, conversation);
  } else {
    PrintFailure(io, "no copy taken at or before " + VersionTimeText(asOf->Time()) + " UTC", entry);
    return false;
  }
  switch (outcome.result) {
    case RestoreResult::kDeclined:
      PrintFailure(io,
                   conversation.LastQuestionUnanswered()
                       ? "not restored, no answer before the end of input"
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
  bool complete = true;
  if (outcome.rewriteError) {
    PrintFailure(io, "restored " + entry + ", but the restoration list could not be rewritten",
                 list.listPath, outcome.rewriteError);
    complete = false;
  }
  if (outcome.flushError) {
    PrintFailure(io, "restored, but writing it to disk failed", entry, outcome.flushError);
    complete = false;
  }
  Print(io.out, std::string(outcome.result == RestoreResult::kRestored ? "restored: "
                                                                       : "restored, replacing: ") +
                    entry + "\n");
  if (!outcome.keptVersion.empty()) {
    Print(io.out, "  the file it replaced is kept as " + outcome.keptVersion + "\n");
  }
  return complete;
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
  // all of them).
  std::vector<std::string> chosen;
  auto choose = [&chosen](const std::string& entry) {
    if (std::find(chosen.begin(), chosen.end(), entry) == chosen.end()) chosen.push_back(entry);
  };
  for (const std::string& name : named) {
    // As recorded, else as list prints it (control characters as \xHH): a recorded name that
    // reads like an escape is still itself.
    auto found = std::find(list.entries.begin(), list.entries.end(), name);
    if (found == list.entries.end()) {
      found = std::find_if(list.entries.begin(), list.entries.end(),
                           [&](const std::string& entry) { return EntryLine(entry) == name; });
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
        choose(path);
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
    chosen = std::move(paths.paths);
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
  onDisk.Loaded(list.listPath, list.contents);
  TerminalConversation conversation(io, answers, list.entries);
  for (const std::string& entry : chosen) {
    if (!RestoreOne(list, entry, choice ? &*choice : nullptr, onDisk, conversation, io)) {
      complete = false;
      continue;
    }
    // Further records of the same path lead to the same copy, which is now back in place:
    // restoring them again would only ask to replace the file with itself.
    const auto copies = std::count(list.entries.begin(), list.entries.end(), entry);
    for (long extra = 1; extra < copies; ++extra) {
      if (const std::error_code failure = ForgetEntry(entry, onDisk, conversation)) {
        PrintFailure(io, "cannot take a further record off the restoration list", entry, failure);
        complete = false;
        break;
      }
    }
  }
  return complete ? kExitDone : kExitPartly;
}

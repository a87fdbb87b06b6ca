// --version, --help, a folder and the usage: --version and --help let a user ask what the
// program is and where it keeps its backups without a display; a folder is what a file
// manager's "Open With" hands over; a mistyped command is refused, not taken for a folder.
#include "command_line.h"

#include <string_view>

#include "cli/commands.h"
#include "platform/folder_paths.h"
#include "platform/path_parts.h"
#include "store/store_location.h"
#include "store_places.h"
#include "version_number.h"

namespace {

constexpr std::string_view kUsage = "Usage: quillmar [--help | --version | FOLDER]\n";

// Every way a user asks for the help: a command's word, the short and long options, and
// Windows' own switch.
#if defined(_WIN32)
constexpr std::string_view kHelpWords[] = {"help", "-h", "--help", "/?"};
#else
constexpr std::string_view kHelpWords[] = {"help", "-h", "--help"};
#endif

bool AsksForHelp(std::string_view arg) {
  for (const std::string_view word : kHelpWords) {
    if (arg == word) return true;
  }
  return false;
}

// The usage with every command's synopsis: someone who mistyped a command sees the right one.
std::string Usage() { return std::string(kUsage) + kCommandsSynopsis; }

// True when arg holds no separator: it reads as a command, not as the way to a folder.
bool IsWord(std::string_view arg) {
  return arg.find(kPathSeparator) == std::string_view::npos &&
         arg.find('/') == std::string_view::npos;
}

std::string HelpText() {
  std::string folder = BackupsFolderPath();
  if (folder.empty()) folder = "none: neither XDG_DATA_HOME nor HOME is an absolute path";
  std::string text = Usage();
  text +=
      "\n"
      "Quillmar protects files before a clean-up. In its window you name a folder and a file\n"
      "pattern and press \"Quillmar!\": every file below the folder with the pattern's\n"
      "extension (every file when the pattern is empty or *.*) is copied into the backups\n"
      "folder and its path recorded in list.txt there. Each path keeps its own latest copy\n"
      "there below \"paths\", at the place of the full path, and NAME + \"BACKUP\" is the\n"
      "latest copy of any file of that name, whichever folder it came from.\n"
      "\"Restore Files\" copies a recorded file back to its path from its own copy, asking\n"
      "before it replaces a file there. Quillmar never changes, moves or deletes the files it\n"
      "backs up.\n"
      "\n";
  text += StorePlacesText();
  text += "This copy's backups folder: ";
  text += folder;
  text +=
      "\n"
      "\n"
      "FOLDER opens the window with FOLDER, made absolute with its \".\" and \"..\" parts\n"
      "resolved, in the Directory box; nothing starts until you press \"Quillmar!\". A word\n"
      "that is neither a command nor a folder here is refused.\n"
      "\n"
      "Commands (no display needed; `quillmar COMMAND --help` tells more):\n"
      "  clean    back up the files below a folder, as \"Quillmar!\" does; --dry-run lists them\n"
      "  list     print the restoration list\n"
      "  restore  copy entries back to their paths, as \"Restore\" does\n"
      "  store    where the backups folder is, and what it holds\n"
      "\n"
      "Options:\n"
      "  --help     show this help and exit (also";
  for (const std::string_view word : kHelpWords) {
    if (word == "--help") continue;
    text += ' ';
    text += word;
  }
  text +=
      ")\n"
      "  --version  show the version and exit\n";
  return text;
}

CommandLineOutcome Refuse(const std::string& why, std::string& err) {
  err = "quillmar: " + why + "\n";
  err += Usage();
  return {false, 2, {}};
}

}  // namespace

CommandLineOutcome ReadCommandLine(std::span<const char* const> args, std::string& out,
                                   std::string& err) {
  // A bare word first (no separator, not an option, not the help) is most likely a mistyped
  // command, whatever follows it: a window for a folder that is not there would only say so
  // later.
  if (!args.empty()) {
    const std::string_view first(args.front());
    std::string folder(first);
    if (!first.empty() && !first.starts_with('-') && !AsksForHelp(first) && IsWord(first) &&
        (MakeAbsolute(folder) || !IsFolder(folder))) {
      return Refuse("'" + std::string(first) + "' is neither a command nor a folder", err);
    }
  }
  for (const char* arg : args) {
    const std::string_view text(arg);
    if (text.starts_with('-') && !AsksForHelp(text) && text != "--version") {
      return Refuse("unrecognized argument '" + std::string(text) + "'", err);
    }
  }
  if (args.empty()) return {true, 0, {}};
  if (args.size() > 1) {
    return Refuse("one argument at most, " + std::to_string(args.size()) + " given", err);
  }
  const std::string_view arg(args.front());
  if (arg == "--version") {
    out = std::string("quillmar ") + kVersionText + "\n";
    return {false, 0, {}};
  }
  if (AsksForHelp(arg)) {
    out = HelpText();
    return {false, 0, {}};
  }
  // An empty name would leave the box empty, which walks the whole machine.
  if (arg.empty()) return Refuse("the folder name is empty", err);
  std::string folder(arg);
  // Shown as the folder the clean would walk; a current folder that cannot be read leaves
  // the name as given, for the clean to report.
  static_cast<void>(MakeAbsolute(folder));
  return {true, 0, std::move(folder)};
}

// --version, --help, a folder and the usage: --version and --help let a user ask what the
// program is and where it keeps its backups without a display; a folder is what a file
// manager's "Open With" hands over.
#include "command_line.h"

#include <string_view>

#include "cli/commands.h"
#include "platform/folder_paths.h"
#include "store/store_location.h"
#include "store_places.h"
#include "version_number.h"

namespace {

constexpr std::string_view kUsage = "Usage: quillmar [--help | --version | FOLDER]\n";

std::string HelpText() {
  std::string folder = BackupsFolderPath();
  if (folder.empty()) folder = "none: neither XDG_DATA_HOME nor HOME is an absolute path";
  std::string text(kUsage);
  text += kCommandsSynopsis;
  text +=
      "\n"
      "Quillmar protects files before a clean-up. In its window you name a folder and a file\n"
      "pattern and press \"Quillmar!\": every file below the folder with the pattern's\n"
      "extension (every file when the pattern is empty or *.*) is copied into the backups\n"
      "folder as NAME + \"BACKUP\", and its path is recorded in list.txt there. \"Restore Files\"\n"
      "copies a recorded file back to its path, asking before it replaces a file there.\n"
      "Quillmar never changes, moves or deletes the files it backs up.\n"
      "\n";
  text += StorePlacesText();
  text += "This copy's backups folder: ";
  text += folder;
  text +=
      "\n"
      "\n"
      "FOLDER opens the window with FOLDER in the Directory box; nothing starts until you\n"
      "press \"Quillmar!\".\n"
      "\n"
      "Commands (no display needed; `quillmar COMMAND --help` tells more):\n"
      "  clean    back up the files below a folder, as \"Quillmar!\" does; --dry-run lists them\n"
      "  list     print the restoration list\n"
      "  restore  copy entries back to their paths, as \"Restore\" does\n"
      "  store    where the backups folder is, and what it holds\n"
      "\n"
      "Options:\n"
      "  --help     show this help and exit\n"
      "  --version  show the version and exit\n";
  return text;
}

CommandLineOutcome Refuse(const std::string& why, std::string& err) {
  err = "quillmar: " + why + "\n";
  err += kUsage;
  return {false, 2, {}};
}

}  // namespace

CommandLineOutcome ReadCommandLine(std::span<const char* const> args, std::string& out,
                                   std::string& err) {
  for (const char* arg : args) {
    const std::string_view text(arg);
    if (text.starts_with('-') && text != "--help" && text != "--version") {
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
  if (arg == "--help") {
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

// --version, --help and the usage: the only arguments the program reads, so that a user can
// ask what it is and where it keeps its backups without a display.
#include "command_line.h"

#include <string_view>

#include "store/store_location.h"
#include "store_places.h"
#include "version_number.h"

namespace {

constexpr std::string_view kUsage = "Usage: quillmar [--help | --version]\n";

std::string HelpText() {
  std::string folder = BackupsFolderPath();
  if (folder.empty()) folder = "none: neither XDG_DATA_HOME nor HOME is an absolute path";
  std::string text(kUsage);
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
      "Options:\n"
      "  --help     show this help and exit\n"
      "  --version  show the version and exit\n";
  return text;
}

}  // namespace

CommandLineOutcome ReadCommandLine(std::span<const char* const> args, std::string& out,
                                   std::string& err) {
  for (const char* arg : args) {
    const std::string_view text(arg);
    if (text != "--help" && text != "--version") {
      err = "quillmar: unrecognized argument '" + std::string(text) + "'\n";
      err += kUsage;
      return {false, 2};
    }
  }
  if (args.empty()) return {true, 0};
  if (std::string_view(args.front()) == "--version") {
    out = std::string("quillmar ") + kVersionText + "\n";
  } else {
    out = HelpText();
  }
  return {false, 0};
}

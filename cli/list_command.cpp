// quillmar list: the entries of list.txt as the restoration list shows them, in its order;
// with --json, one object per entry with its path and whether its copy is there.
#include <string>

#include "cli/commands.h"
#include "cli/store_list.h"

namespace {

constexpr const char* kListUsage = "Usage: quillmar list [--under FOLDER] [--json]\n";

constexpr const char* kListHelp =
    "\n"
    "Prints the entries of the restoration list, one a line, in the order the \"Restore\n"
    "Files\" window shows them (an entry is the path exactly as recorded, doubled separators\n"
    "included).\n"
    "\n"
    "Options:\n"
    "  --under FOLDER  only the entries in FOLDER or below it\n"
    "  --json          a JSON array, one object a line: {\"path\": ..., \"copy\": true|false},\n"
    "                  copy telling whether a backup copy to restore from is there\n"
    "  --help          show this help\n";

// path as a JSON string. Bytes from 0x80 up go out as they are: paths are UTF-8 here.
std::string JsonString(const std::string& path) {
  std::string text = "\"";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      text += '\\';
      text += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      text += escaped;
    } else {
      text += c;
    }
  }
  return text + "\"";
}

}  // namespace

int RunList(CliArgs args, const CliStreams& io) {
  bool json = false;
  std::optional<std::string> under;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help") {
      Print(io.out, std::string(kListUsage) + kListHelp);
      return kExitDone;
    } else if (arg == "--json") {
      json = true;
    } else if (arg == "--under") {
      if (++i == args.size()) return UsageError(io, "list", "--under needs a FOLDER", kListUsage);
      under = UnderFolder(args[i]);
      if (!under) {
        return UsageError(io, "list", "cannot tell where '" + std::string(args[i]) + "' lies",
                          kListUsage);
      }
    } else {
      return UsageError(io, "list", "unknown argument '" + std::string(arg) + "'", kListUsage);
    }
  }
  StoreList list;
  if (const std::error_code failure = ReadStoreList(list)) {
    PrintFailure(io, "cannot read the restoration list",
                 list.listPath.empty() ? "no backups folder" : list.listPath, failure);
    return kExitPartly;
  }
  std::string text = json ? "[" : "";
  bool first = true;
  for (const std::string& entry : list.entries) {
    if (under && !LiesUnder(entry, *under)) continue;
    if (json) {
      text += first ? "\n" : ",\n";
      text += "{\"path\": " + JsonString(entry) +
              ", \"copy\": " + (HasCopy(list.store, entry) ? "true" : "false") + "}";
    } else {
      text += entry + "\n";
    }
    first = false;
  }
  if (json) text += "\n]\n";
  Print(io.out, text);
  return kExitDone;
}

// quillmar list: the entries of list.txt as the restoration list shows them, in its order: one
// a line, each ending in a zero byte for scripts (-0), or with --json one object per entry with
// its path, whether its copy is there, and the copies of its path that the store holds.
#include <string>

#include "cli/commands.h"
#include "cli/entry_text.h"
#include "cli/store_list.h"
#include "store/stored_paths.h"
#include "store/versions.h"

namespace {

constexpr const char* kListUsage = "Usage: quillmar list [--under FOLDER] [--json | -0]\n";

constexpr const char* kListHelp =
    "\n"
    "Prints the entries of the restoration list, one a line, in the order the \"Restore\n"
    "Files\" window shows them (an entry is the path exactly as recorded, doubled separators\n"
    "included). A control character in a name (a line break, a tab) is printed as \\xHH, so\n"
    "that every entry stays on its line; restore takes an entry as printed.\n"
    "\n"
    "Options:\n"
    "  --under FOLDER  only the entries in FOLDER or below it\n"
    "  --json          a JSON array, one object a line: {\"path\": ..., \"copy\": true|false,\n"
    "                  \"versions\": [...]}, copy telling whether a backup copy to restore\n"
    "                  from is there, versions listing the copies of the path that the\n"
    "                  store holds, newest first, as `quillmar versions` does: each\n"
    "                  {\"time\": \"2026-12-07 221503 UTC\" (null when not noted), \"size\": N,\n"
    "                  \"kind\": \"latest\"|\"version\", \"file\": ...}; a name that is not\n"
    "                  UTF-8 has each such byte as U+FFFD in path (or file), and all its\n"
    "                  bytes in base64 in \"path_bytes\" (or \"file_bytes\")\n"
    "  -0              each entry exactly as recorded, followed by a zero byte, for scripts\n"
    "                  (xargs -0)\n"
    "  --help          show this help\n";

enum class Shape { kLines, kJson, kZeroEnded };

// "name": text, and "name_bytes" with its bytes when they are not UTF-8.
std::string JsonName(const char* name, const std::string& text) {
  std::string field = "\"" + std::string(name) + "\": " + JsonString(text);
  if (!IsUtf8(text)) field += ", \"" + std::string(name) + "_bytes\": \"" + Base64(text) + "\"";
  return field;
}

std::string JsonEntry(const std::string& store, const std::string& entry, StoredCopies& copies) {
  std::string object = "{" + JsonName("path", entry);
  object += ", \"copy\": ";
  object += HasCopy(store, entry) ? "true" : "false";
  object += ", \"versions\": [";
  bool first = true;
  for (const Version& copy : copies.Of(entry)) {
    object += first ? "" : ", ";
    first = false;
    object += "{\"time\": ";
    object += copy.timeKnown ? "\"" + VersionTimeText(copy.takenAt) + " UTC\"" : "null";
    object += ", \"size\": " + std::to_string(copy.size);
    object += copy.ownCopy ? ", \"kind\": \"latest\", " : ", \"kind\": \"version\", ";
    object += JsonName("file", copy.path) + "}";
  }
  return object + "]}";
}

}  // namespace

int RunList(CliArgs args, const CliStreams& io) {
  Shape shape = Shape::kLines;
  std::optional<std::string> under;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help") {
      Print(io.out, std::string(kListUsage) + kListHelp);
      return kExitDone;
    } else if (arg == "--json" || arg == "-0") {
      const Shape given = arg == "-0" ? Shape::kZeroEnded : Shape::kJson;
      if (shape != Shape::kLines && shape != given) {
        return UsageError(io, "list", "--json and -0 exclude each other", kListUsage);
      }
      shape = given;
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
  std::string text = shape == Shape::kJson ? "[" : "";
  StoredCopies copies(list.store);
  bool first = true;
  for (const std::string& entry : list.entries) {
    if (under && !LiesUnder(entry, *under)) continue;
    switch (shape) {
      case Shape::kJson:
        text += first ? "\n" : ",\n";
        text += JsonEntry(list.store, entry, copies);
        break;
      case Shape::kZeroEnded:
        text += entry;
        text += '\0';
        break;
      case Shape::kLines:
        text += EntryLine(entry) + "\n";
        break;
    }
    first = false;
  }
  if (shape == Shape::kJson) text += "\n]\n";
  Print(io.out, text);
  return kExitDone;
}

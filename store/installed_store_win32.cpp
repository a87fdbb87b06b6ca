// Where a Windows copy keeps its backups when it cannot keep them beside itself: a copy the
// installer put in place, and a copy in a folder that cannot hold backups\ (Program Files, a
// temporary folder such as the one Explorer unpacks a ZIP's program into, a read-only one),
// keep them in the user's own %LOCALAPPDATA%\Quillmar\.
#include <cctype>
#include <cstdlib>
#include <string_view>

#include "platform/folder_paths.h"
#include "platform/path_parts.h"
#include "store/installed_store.h"

namespace {

// The installer leaves its uninstaller beside the executable; a portable copy has none.
constexpr const char* kInstallerMark = "uninstall.exe";

// The folder without its final separators, in lower case: Windows' names ignore case.
std::string Comparable(std::string folder) {
  while (!folder.empty() && folder.back() == kPathSeparator) folder.pop_back();
  for (char& c : folder) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folder;
}

// True when folder is outer or lies below it.
bool IsWithin(const std::string& folder, const std::string& outer) {
  const std::string inner = Comparable(folder), around = Comparable(outer);
  if (around.empty() || inner.size() < around.size()) return false;
  return inner.compare(0, around.size(), around) == 0 &&
         (inner.size() == around.size() || inner[around.size()] == kPathSeparator);
}

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

bool StartsWith(const std::string& text, std::string_view start) {
  return text.compare(0, start.size(), start) == 0;
}

// The temporary folder itself, or a folder an archive's program is unpacked into to run it
// (Explorer's "Temp1_NAME.zip", 7-Zip's "7zO...", WinRAR's "Rar$EX..."), which goes with
// everything in it once the program ends or the archive is closed.
bool InUnpackedArchive(const std::string& programDir) {
  // The platform's temporary folder is named by TMP, else TEMP; the names are the program's
  // own narrow text, whatever letters they hold.
  std::string temp = Variable("TMP");
  if (temp.empty()) temp = Variable("TEMP");
  temp = Comparable(temp);
  const std::string folder = Comparable(programDir);
  if (temp.empty() || !IsWithin(folder, temp)) return false;
  if (folder.size() == temp.size()) return true;
  const std::string below = folder.substr(temp.size() + 1);
  const std::string first = below.substr(0, below.find(kPathSeparator));
  return (StartsWith(first, "temp") && first.size() > 4 &&
          std::isdigit(static_cast<unsigned char>(first[4])) && first.ends_with(".zip")) ||
         StartsWith(first, "7zo") || StartsWith(first, "rar$");
}

// Folders whose contents vanish, or that ordinary users may not write to.
bool InFolderWithoutRoom(const std::string& programDir) {
  for (const char* name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"}) {
    if (IsWithin(programDir, Variable(name))) return true;
  }
  return InUnpackedArchive(programDir);
}

bool CanHoldBackups(const std::string& programDir) {
  const std::string backups = programDir + kPathSeparator + "backups";
  return FolderTakesNewFiles(IsFolder(backups) ? backups : programDir);
}

}  // namespace

std::optional<std::string> InstalledDataFolder(const std::string& programDir) {
  const bool installed = IsRegularFile(programDir + kPathSeparator + kInstallerMark);
  if (!installed && !InFolderWithoutRoom(programDir) && CanHoldBackups(programDir)) {
    return std::nullopt;
  }
  std::string folder = Variable("LOCALAPPDATA");
  if (!IsAbsolutePath(folder)) return std::string();
  while (!folder.empty() && folder.back() == kPathSeparator) folder.pop_back();
  return folder + kPathSeparator + "Quillmar" + kPathSeparator;
}

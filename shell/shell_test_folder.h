// Test support for the shell's tests: a temporary folder on disk with a program folder in
// it (the backups folder is made there), removed with everything in it when the test ends.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/path_parts.h"
#include "platform/platform_files.h"
#include "platform/test_support/temp_folder.h"

class ShellTestFolder {
 public:
  ShellTestFolder() : m_root(m_folder.Path()) {
    MakeDir("prog");
    SetProgramPathForTesting(Path("prog/quillmar"));
  }
  ~ShellTestFolder() { SetProgramPathForTesting(""); }
  ShellTestFolder(const ShellTestFolder&) = delete;
  ShellTestFolder& operator=(const ShellTestFolder&) = delete;

  // relative is written with "/"; the path comes back with the platform's separator, as the
  // program spells the paths it records and shows.
  std::string Path(const std::string& relative) const {
    std::string path = m_root + "/" + relative;
    std::replace(path.begin(), path.end(), '/', kPathSeparator);
    return path;
  }
  std::string BackupsPath(const std::string& name) const { return Path("prog/backups/" + name); }

  void MakeDir(const std::string& relative) const {
    std::error_code ignored;
    std::filesystem::create_directory(Path(relative), ignored);
  }
  void Write(const std::string& relative, const std::string& content) const {
    std::ofstream(Path(relative), std::ios::binary) << content;
  }
  bool Exists(const std::string& path) const {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // The shared copies in the backups folder (NAME + "BACKUP"), sorted.
  std::vector<std::string> BackupNames() const {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(Path("prog/backups"), error), end;
         !error && entry != end; entry.increment(error)) {
      const std::string name = entry->path().filename().string();
      if (name.ends_with("BACKUP")) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  TempFolder m_folder;
  std::string m_root;
};

// Test support for the shell's tests: a temporary folder on disk with a program folder in
// it (the backups folder is made there), removed with everything in it when the test ends.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "framework/platform_files.h"

class ShellTestFolder {
 public:
  ShellTestFolder() {
    char pattern[] = "/tmp/quillmar-shell-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) std::abort();
    m_root = pattern;
    MakeDir("prog");
    SetProgramPathForTesting(Path("prog/quillmar"));
  }
  ~ShellTestFolder() {
    SetProgramPathForTesting("");
    Remove(m_root);
  }
  ShellTestFolder(const ShellTestFolder&) = delete;
  ShellTestFolder& operator=(const ShellTestFolder&) = delete;

  std::string Path(const std::string& relative) const { return m_root + "/" + relative; }
  std::string BackupsPath(const std::string& name) const { return Path("prog/backups/" + name); }

  void MakeDir(const std::string& relative) const { ::mkdir(Path(relative).c_str(), 0755); }
  void Write(const std::string& relative, const std::string& content) const {
    std::ofstream(Path(relative), std::ios::binary) << content;
  }
  bool Exists(const std::string& path) const {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // The names in the backups folder other than list.txt, sorted.
  std::vector<std::string> BackupNames() const {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(Path("prog/backups").c_str())) {
      while (dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != ".." && name != "list.txt") names.push_back(name);
      }
      ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  static void Remove(const std::string& path) {
    if (::unlink(path.c_str()) == 0) return;
    if (DIR* dir = ::opendir(path.c_str())) {
      std::vector<std::string> names;
      while (dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
      }
      ::closedir(dir);
      for (const std::string& name : names) Remove(path + "/" + name);
    }
    ::rmdir(path.c_str());
  }

  std::string m_root;
};

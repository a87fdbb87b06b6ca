// Fuzz target for the restoration list dialog: arbitrary bytes as list.txt in a temporary
// program folder, loaded, one entry restored and the list rewritten, through the scripted
// backend. Checks that the dialog shows the entries the list holds and that a rewrite loses
// no entry but the one restored. "@" in the input stands for the sandbox's data folder, so
// that restorable paths are easy to reach; restores are only ever asked for inside it.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/platform_files.h"
#include "framework/scripted/scripted_backend.h"
#include "framework/scripted/scripted_window.h"
#include "restore/restore_list_dlg.h"
#include "store/copy_origin.h"

namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

void Check(bool condition) {
  if (!condition) std::abort();
}

struct Sandbox {
  std::string root, program, backups, data;
  Sandbox() {
    std::string pattern = (fs::temp_directory_path() / "quillmar-fuzz-XXXXXX").string();
    Check(::mkdtemp(pattern.data()) != nullptr);
    root = pattern;
    program = root + "/prog";
    backups = program + "/backups";
    data = root + "/data";
    SetProgramPathForTesting(program + "/quillmar");
  }
  ~Sandbox() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
};

Sandbox& Box() {
  static Sandbox box;
  return box;
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// The entries of a list text as the dialog is documented to read them: up to the first zero
// byte, split at ";", a fragment after the last ";" kept.
Texts Split(const std::string& contents) {
  const std::string text = contents.substr(0, contents.find('\0'));
  Texts entries;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find(';', start);
    if (end == std::string::npos) {
      entries.push_back(text.substr(start));
      break;
    }
    entries.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

std::map<std::string, int> Count(const Texts& entries) {
  std::map<std::string, int> counts;
  for (const std::string& entry : entries) ++counts[entry];
  return counts;
}

std::string Tail(const std::string& contents) {
  const std::size_t zero = contents.find('\0');
  return zero == std::string::npos ? std::string() : contents.substr(zero);
}

// Only a path that is plainly inside the data folder may be restored to.
bool InsideData(const std::string& path) {
  const std::string prefix = Box().data + "/";
  return path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
         path.find("/..") == std::string::npos &&
         path.find('/', prefix.size()) == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size < 2 || size > 100000) return 0;
  const Sandbox& box = Box();
  const unsigned pickSeed = bytes[0];
  const unsigned flags = bytes[1];
  std::string list;
  for (std::size_t i = 2; i < size; ++i) {
    if (bytes[i] == '@') {
      list += box.data + "/";
    } else {
      list += static_cast<char>(bytes[i]);
    }
  }

  std::error_code ignored;
  fs::remove_all(box.data, ignored);
  fs::remove_all(box.backups, ignored);
  fs::create_directories(box.data);
  fs::create_directories(box.backups);
  WriteFile(box.backups + "/fBACKUP", "backup of f");
  // Taken from the data folder's f, as a clean notes it: its restore asks nothing about origins.
  Check(!AttachFileNote((box.backups + "/fBACKUP").c_str(),
                        OriginNoteOf((box.data + "/f").c_str())));
  const std::string listPath = box.backups + "/list.txt";
  WriteFile(listPath, list);
  if (flags & 1) WriteFile(box.data + "/f", "the user's own f");

  const Texts entries = Split(list);
  const bool loadable =
      !list.empty() && list.substr(0, list.find('\0')).find(';') != std::string::npos;

  ScriptedBackend backend;
  CRestoreListDlg dialog;
  std::string target;
  bool asked = false;
  bool existedBefore = false;
  std::string contentBefore;
  backend.Then([&] {
    const Texts shown = backend.ActiveWindow()->ListItems(IDC_LIST_ENTRIES);
    Check(shown == (loadable ? entries : Texts()));
    Texts reversed(entries.rbegin(), entries.rend());
    Check(Texts(dialog.Entries().begin(), dialog.Entries().end()) ==
          (loadable ? reversed : Texts()));
    if (shown.empty()) return;
    const int index = static_cast<int>(pickSeed % shown.size());
    if (!InsideData(shown[index])) {
      backend.Click(IDC_DEBUG);
      return;
    }
    target = shown[index];
    struct stat st;
    const std::string name = target.substr(target.rfind('/') + 1);
    existedBefore = ::lstat(target.c_str(), &st) == 0;
    if (existedBefore && S_ISREG(st.st_mode)) contentBefore = ReadFile(target);
    const bool copyThere = ::lstat((box.backups + "/" + name + "BACKUP").c_str(), &st) == 0;
    asked = copyThere && existedBefore;
    backend.Pick(IDC_LIST_ENTRIES, index).Click(IDC_RESTORE);
    if (asked) backend.Answer((flags & 2) ? IDYES : IDNO);
    // A missing copy: the system's reason, then the offer to forget the entry, declined.
    if (!copyThere) backend.Answer(IDOK).Answer(IDNO);
    if (flags & 4) backend.Hide().Show();
  });
  dialog.DoModal();

  Check(backend.Problems().empty());
  bool restored = false;
  for (const std::string& text : backend.MessageTexts()) {
    restored = restored || text == "File Restored";
  }
  const std::string after = ReadFile(listPath);
  if (!restored) {
    Check(after == list);
    // Nothing restored: whatever was at the entry's path is as it was.
    if (!target.empty()) {
      struct stat st;
      Check((::lstat(target.c_str(), &st) == 0) == existedBefore);
      if (existedBefore && S_ISREG(st.st_mode)) Check(ReadFile(target) == contentBefore);
    }
    return 0;
  }
  // Restored: the file holds the backup, and the list lost that one entry and nothing else.
  Check(ReadFile(target) == "backup of f");
  std::map<std::string, int> expected = Count(entries);
  if (--expected[target] == 0) expected.erase(target);
  Check(Count(Split(after)) == expected);
  Check(Tail(after) == Tail(list));
  return 0;
}

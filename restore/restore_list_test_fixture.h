// The fixture of the restoration list dialog's tests: a temporary program folder with its
// backups folder, a data folder for restored files, and the scripted backend.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/platform_files.h"
#include "framework/scripted/scripted_backend.h"
#include "framework/scripted/scripted_window.h"
#include "platform/test_support/file_size_limit.h"
#include "platform/test_support/temp_folder.h"
#include "restore/restore_list_dlg.h"
#include "store/copy_origin.h"

namespace restore_test {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

inline constexpr const char* kOpenFailed = "Openning restoration list file failed.";
inline constexpr const char* kNothingToRestore = "There are no files to restore";
inline constexpr const char* kInvalid = "Error: List file is invalied(no ';' marks)";
inline constexpr const char* kOverwrite = "File already exists. Overwrite it?";

class RestoreListDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_root = m_folder.Path();
    m_program = m_root + "/prog";
    m_backups = m_program + "/backups";
    m_data = m_root + "/data";
    fs::create_directories(m_backups);
    fs::create_directories(m_data);
    SetProgramPathForTesting(m_program + "/quillmar");
  }
  void TearDown() override {
    SetProgramPathForTesting("");
  }

  std::string ListPath() const { return m_backups + "/list.txt"; }
  // Hidden temporary files left in the backups folder by a rewrite or a restore.
  std::vector<std::string> LeftoverFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_backups)) {
      const std::string name = entry.path().filename().string();
      if (name.starts_with(".")) names.push_back(name);
    }
    return names;
  }
  std::string Data(const std::string& name) const { return m_data + "/" + name; }
  std::string BackupOf(const std::string& name) const { return m_backups + "/" + name + "BACKUP"; }

  // The shared copy of name, as a clean leaves it: noted with the path it was taken from,
  // by default the data folder's file of that name.
  void WriteBackup(const std::string& name, const std::string& content,
                   const std::string& origin = "") const {
    WriteFile(BackupOf(name), content);
    const std::string from = origin.empty() ? Data(name) : origin;
    ASSERT_FALSE(AttachFileNote(BackupOf(name).c_str(), OriginNoteOf(from.c_str()))) << name;
  }

  static void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    ASSERT_TRUE(out.good()) << path;
  }
  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }
  void WriteList(const std::string& content) const { WriteFile(ListPath(), content); }
  // The list file of entries written as the engine writes them.
  static std::string ListOf(const Texts& entries) {
    std::string text;
    for (const std::string& entry : entries) text += entry + ";";
    return text;
  }

  // The list box as shown, read while the dialog runs.
  Texts Shown() const { return m_backend.ActiveWindow()->ListItems(IDC_LIST_ENTRIES); }
  static Texts EntriesOf(const CRestoreListDlg& dialog) {
    return Texts(dialog.Entries().begin(), dialog.Entries().end());
  }
  void ExpectCleanScript() const {
    EXPECT_TRUE(m_backend.Problems().empty()) << m_backend.Problems().front();
    EXPECT_EQ(m_backend.PendingActions(), 0u);
  }

  ScriptedBackend m_backend;
  TempFolder m_folder;
  std::string m_root, m_program, m_backups, m_data;
};

}  // namespace restore_test

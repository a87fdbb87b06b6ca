// CVersionsDlg: the copies of one entry's path that the store holds, newest first, and the
// restore of the one chosen, with the restoration list's questions and report.
//
//   +- Versions -----------------------------------------[x]+
//   | /home/user/notes//a.txt                                |  1020: the entry
//   | Copies, newest first:                                  |
//   | +----------------------------------------------------+ |
//   | | 2026-12-07 221503 UTC, 12 bytes, latest            | |  1021: its copies
//   | | 2026-12-01 093012 UTC, 9 bytes                     | |
//   | +----------------------------------------------------+ |
//   |                                  [Restore] [ Close ]   |  1022, IDCANCEL
//   +--------------------------------------------------------+
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/list_box.h"
#include "store/entry_restore.h"
#include "store/list_on_disk.h"
#include "store/versions.h"

inline constexpr int IDD_VERSIONS = 133;
inline constexpr int IDC_VERSIONS_PATH = 1020;
inline constexpr int IDC_VERSIONS_LIST = 1021;
inline constexpr int IDC_VERSIONS_RESTORE = 1022;

class CVersionsDlg : public CDialog {
 public:
  using Report = std::function<void(const RestoreOutcome&)>;

  // The copies of entry in the store folder store (ending with a separator). A restore asks
  // conversation's questions and drops the entry from its owner's list and from list, as
  // RestoreEntryFrom does, then hands how it ended to report (except a copy gone meanwhile,
  // which the dialog says itself). The references must outlive the dialog.
  CVersionsDlg(std::string store, std::string entry, ListOnDisk& list,
               RestoreConversation& conversation, Report report);
  ~CVersionsDlg() override;

 protected:
  const MessageMap* GetMessageMap() const override;
  void DoDataExchange(CDataExchange* pDX) override;
  // Shows the entry and lists its copies.
  BOOL OnInitDialog() override;

 private:
  // Restores the copy with the focus rectangle to the entry's path; the dialog ends once the
  // file is back, since the entry has then left the restoration list. Does nothing when the
  // list has no caret row.
  void OnRestore();
  // Reads the entry's copies again and shows one row for each.
  void FillList();

  static const MessageMapEntry kMessageEntries[];
  static const MessageMap messageMap;

  std::string m_store;
  std::string m_entry;
  ListOnDisk& m_list;
  RestoreConversation& m_conversation;
  Report m_report;
  std::vector<Version> m_copies;  // row by row: the own copy, then the versions, newest first
  CListBox m_lbCopies;
};

// Dialog template 133, registered as a resource.
const DialogTemplate& VersionsTemplate();

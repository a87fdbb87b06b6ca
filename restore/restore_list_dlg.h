// CRestoreListDlg: the restoration list dialog. It shows the entries of backups/list.txt,
// copies the backup copy of one entry back to its recorded path and rewrites the list.
//
//   +- Restoration List ----------------[x]+
//   | +----------------------------------+ |
//   | | /home/user/notes/a.txt           | |  1004: entries, in file order
//   | | /home/user/notes/sub//b.txt      | |
//   | +----------------------------------+ |
//   |                  [Debug] [Restore ] |  1006, 1005
//   +--------------------------------------+
#pragma once

#include <list>
#include <string>

#include "framework/dialog.h"
#include "framework/file.h"
#include "framework/list_box.h"
#include "framework/platform_files.h"
#include "restore/list_on_disk.h"

inline constexpr int IDD_RESTORELIST = 129;
inline constexpr int IDC_LIST_ENTRIES = 1004;
inline constexpr int IDC_RESTORE = 1005;
inline constexpr int IDC_DEBUG = 1006;

class CRestoreListDlg : public CDialog {
 public:
  CRestoreListDlg();
  ~CRestoreListDlg() override;

  // The in-memory list: the entries of the last load, in reverse file order, less those
  // restored since.
  const std::list<std::string>& Entries() const { return m_entries; }

 protected:
  const MessageMap* GetMessageMap() const override;
  void DoDataExchange(CDataExchange* pDX) override;

 private:
  void OnSelChangeEntries();
  // Copies the caret entry's backup copy back to the entry's path (asking before it replaces
  // a file there), then drops the entry from both lists and rewrites list.txt. Does nothing
  // when the list box has no caret item.
  void OnRestore();
  // Reloads on every show-window notification, showing or hiding alike.
  void OnShowHide(BOOL show, UINT status);
  void OnDebug();
  void OnCloseRequest();

  // Reads the whole of list.txt and replaces both lists with its entries. On a missing,
  // empty or malformed list it shows why and leaves both lists as they were; a missing list
  // or store is not created, and counts as one with nothing to restore.
  void LoadRestoreList();
  // Fills m_entries from m_strListText, each entry added at the head.
  void SplitIntoEntries();
  // Rewrites list.txt without the restored entry, under the store's lock and from the list
  // as it is now: the entries of m_entries, head to tail, after whatever other instances
  // appended since the load, then the unread tail of the last load. The new list replaces
  // the old one in one step, so a failure leaves it intact; a failure is shown to the user.
  void SaveRestoreList(const std::string& restored);
  // Walks m_entries without changing anything.
  void WalkEntries();
  // The removal after a successful copy of the backup of dat.
  void RemoveRestoredEntry(const std::string& dat);
  // Shows restored once dat is on disk, or why it is not.
  void ReportRestored(const std::string& dat, const char* restored);

  static const MessageMapEntry kMessageEntries[];
  static const MessageMap messageMap;

  CListBox m_lbEntries;
  std::string m_strListText;
  std::list<std::string> m_entries;
  ListOnDisk m_listOnDisk;
  CFile m_fileList;
  char m_szListPath[kMaxPath] = {};
};

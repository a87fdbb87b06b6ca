// CRestoreListDlg: the restoration list dialog. It shows the entries of backups/list.txt,
// copies the backup copies of the highlighted entries (or of the one with the focus
// rectangle) back to their recorded paths and rewrites the list.
//
//   +- Restoration List ----------------[x]+
//   | +----------------------------------+ |
//   | | /home/user/notes/a.txt           | |  1004: entries, in file order
//   | | /home/user/notes/sub//b.txt      | |
//   | +----------------------------------+ |
//   | No entry contains it [Debug][Restore]|  1009, 1006, 1005
//   | Find: [notes___________] [Find Next] |  1007, 1008 (restore_list_find.h)
//   +--------------------------------------+
// The list's context menu offers "Versions..." for the entry with the focus rectangle.
// The window can be resized: the list takes what is added, the rest keeps to the bottom and
// the right.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "platform/file.h"
#include "framework/list_box.h"
#include "platform/platform_files.h"
#include "store/entry_restore.h"
#include "store/list_on_disk.h"

inline constexpr int IDD_RESTORELIST = 129;
inline constexpr int IDC_LIST_ENTRIES = 1004;
inline constexpr int IDC_RESTORE = 1005;
inline constexpr int IDC_DEBUG = 1006;
inline constexpr int IDM_VERSIONS = 1030;

class CRestoreListDlg : public CDialog, private RestoreConversation {
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
  // Restores the highlighted entries or, when none is, the caret entry. One entry comes back
  // from its backup copy (asking before it replaces a file there, and before it restores
  // another file's contents), then leaves both lists and list.txt is rewritten; an entry
  // whose copy is gone may be taken off the list instead. Does nothing when the list box has
  // no caret item.
  void OnRestore();
  // Several highlighted entries (rows, in list order) come back one after the other, each
  // with its questions, where the question before replacing a file can be answered for all
  // that follow. They leave both lists and list.txt (rewritten once) together, and one box
  // then says what was restored and what was not, and why. A path highlighted more than once
  // is restored once, and all its rows go.
  void RestoreHighlighted(const std::vector<int>& rows);
  // Reloads on every show-window notification, showing or hiding alike. A window that shows
  // no entry and finds nothing to restore closes once it has said so: it has nothing to offer.
  void OnShowHide(BOOL show, UINT status);
  void OnDebug();
  void OnCloseRequest();
  // The list's context menu, when it has a caret entry: "Versions...".
  bool OnContextMenu(int id);
  // Opens the copies of the caret entry (CVersionsDlg), to restore an older one.
  void OnVersions();
  // The find box (restore_list_find.cpp): every change moves the caret to the first entry
  // from the caret on that contains the text, Find Next (Enter) to the next one after it.
  void OnFindChange();
  void OnFindNext();
  void FindEntry(bool afterCaret);

  // Reads the whole of list.txt and replaces both lists with its entries. On a missing,
  // empty or malformed list it shows why and leaves both lists as they were; a missing list
  // or store is not created, and counts as one with nothing to restore. False when there is
  // nothing to restore.
  bool LoadRestoreList();
  // Fills m_entries from m_strListText, each entry added at the head.
  void SplitIntoEntries();
  // Walks m_entries without changing anything.
  void WalkEntries();
  // Shows how the restore of dat ended.
  void ReportRestore(const std::string& dat, const RestoreOutcome& outcome);
  // After the error of a missing copy: offers to take dat off the list for good.
  void OfferToForget(const std::string& dat);
  // Shows why list.txt could not be rewritten, if it could not.
  void ReportRewrite(std::error_code failure);

  // What the restore asks and does to the dialog's own lists.
  bool RestoreFromOtherOrigin(const std::string& origin, const std::string& dat) override;
  bool Overwrite(const std::string& dat) override;
  // Removes dat from m_entries and the list box; says so when m_entries has no such entry.
  // During a Restore of several entries, both lists change only once all have been tried.
  bool DropEntry(const std::string& dat) override;

  // What a Restore of several entries keeps while it runs (restore_list_dlg.cpp).
  struct HighlightedRun;

  static const MessageMapEntry kMessageEntries[];
  static const MessageMap messageMap;

  CListBox m_lbEntries;
  std::string m_strListText;
  std::list<std::string> m_entries;
  ListOnDisk m_listOnDisk;
  CFile m_fileList;
  char m_szListPath[kMaxPath] = {};
  std::string m_storeFolder;  // as the last load found it
  bool m_closingEmpty = false;  // ending because there is nothing to restore, as said once
  HighlightedRun* m_run = nullptr;  // while a Restore of several entries runs
};

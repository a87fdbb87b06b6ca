// CRestoreListDlg: loading list.txt into the list box and the in-memory list, restoring
// entries from their backup copies, and rewriting list.txt without them.
#include "restore/restore_list_dlg.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "platform/folder_handle.h"
#include "platform/folder_paths.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "restore/restore_list_find.h"
#include "restore/restore_list_template.h"
#include "restore/restore_report.h"
#include "store/list_records.h"
#include "store/list_rewrite.h"
#include "store/restore_batch.h"
#include "store/store_layout.h"
#include "store/store_location.h"

namespace {

const ResourceRegistration kTemplateRegistration(RestoreListTemplate());

// Shared, as every opening of the list is: a clean may append to it while the window is open.
constexpr unsigned kLoadMode = CFile::modeReadWrite | CFile::shareDenyNone;

// The list's path in the store folder, into a kMaxPath buffer. False (and an empty buffer)
// when the path does not fit or the store cannot be found.
bool BuildListPath(char* buffer, const std::string& store) {
  std::memset(buffer, 0, kMaxPath);
  if (store.empty()) return false;
  const std::string path = ListPathIn(store);
  if (path.size() >= kMaxPath) return false;
  std::memcpy(buffer, path.data(), path.size());
  return true;
}

constexpr const char* kOverwriteQuestion = "File already exists. Overwrite it?";
constexpr const char* kForAll = "Do this for all remaining files";

// The question before restoring a copy that another file of the same name filled last.
std::string OtherOriginQuestion(const std::string& origin, const std::string& dat) {
  if (origin.empty()) {
    return "The backup copy of this file was last taken from a file of the same name, origin "
           "unknown.\nRestore that file's contents to\n" + dat + "?";
  }
  return "The backup copy of this file was last taken from another file:\n" + origin +
         "\nRestore that file's contents to\n" + dat + "?";
}

}  // namespace

struct CRestoreListDlg::HighlightedRun {
  // How often each entry is in m_entries, less the drops so far; views into m_entries, which
  // stays as it is until all have been tried.
  std::unordered_map<std::string_view, std::size_t> inEntries;
  // The entries dropped, one for each occurrence, and the rows they leave, in list order.
  std::vector<std::string> dropped;
  std::vector<int> droppedRows;
  int row = LB_ERR;                  // the row of the entry being restored
  std::size_t following = 0;         // the rows still to restore after it
  std::optional<bool> overwriteAll;  // the answer given for all remaining files, if one was
};

CRestoreListDlg::CRestoreListDlg() : CDialog(IDD_RESTORELIST) {}

CRestoreListDlg::~CRestoreListDlg() = default;

const MessageMapEntry CRestoreListDlg::kMessageEntries[] = {
    message_map::Command<&CRestoreListDlg::OnSelChangeEntries>(LBN_SELCHANGE, IDC_LIST_ENTRIES),
    message_map::Command<&CRestoreListDlg::OnRestore>(BN_CLICKED, IDC_RESTORE),
    message_map::ShowWindow<&CRestoreListDlg::OnShowHide>(),
    message_map::Command<&CRestoreListDlg::OnDebug>(BN_CLICKED, IDC_DEBUG),
    message_map::Message<&CRestoreListDlg::OnCloseRequest>(WM_CLOSE),
    message_map::ContextMenu<&CRestoreListDlg::OnContextMenu>(),
    message_map::MenuCommand<&CRestoreListDlg::OnVersions>(IDM_VERSIONS),
    message_map::Command<&CRestoreListDlg::OnFindChange>(EN_CHANGE, IDC_FIND),
    message_map::Command<&CRestoreListDlg::OnFindNext>(BN_CLICKED, IDC_FIND_NEXT),
};
const MessageMap CRestoreListDlg::messageMap{&CDialog::messageMap, kMessageEntries};

const MessageMap* CRestoreListDlg::GetMessageMap() const { return &messageMap; }

void CRestoreListDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_LIST_ENTRIES, m_lbEntries);
}

void CRestoreListDlg::OnSelChangeEntries() {}

void CRestoreListDlg::OnShowHide(BOOL show, UINT status) {
  CDialog::OnShowWindow(show, status);
  if (m_closingEmpty) return;
  if (!LoadRestoreList() && show && m_lbEntries.GetCount() == 0) {
    m_closingEmpty = true;
    EndDialog(IDCANCEL);
  }
}

void CRestoreListDlg::OnDebug() { WalkEntries(); }

void CRestoreListDlg::OnCloseRequest() { CDialog::OnClose(); }

bool CRestoreListDlg::LoadRestoreList() {
  m_storeFolder = BackupsFolderPath();
  if (!BuildListPath(m_szListPath, m_storeFolder)) {
    AfxMessageBox("Openning restoration list file failed.");
    return true;
  }
  // A list the user may read but not write (read-only, immutable, on a read-only disk) is
  // still shown: its backups can be restored, and only the rewrite will say it failed.
  // Nothing is created here: a user who only looks gets no backups folder.
  if (!m_fileList.Open(m_szListPath, kLoadMode) &&
      !m_fileList.Open(m_szListPath, CFile::modeRead | CFile::shareDenyNone)) {
    // Before the first clean there is neither store nor list: nothing failed.
    const bool missing = IsMissing(m_szListPath);
    AfxMessageBox(missing ? "There are no files to restore"
                          : "Openning restoration list file failed.");
    return !missing;
  }

  std::string contents;
  if (ReadListContents(m_fileList, contents)) {
    // Part of a list is not the list: shown, its restores would rewrite the rest away.
    AfxMessageBox("Openning restoration list file failed.");
    m_fileList.Close();
    return true;
  }

  if (contents.empty()) {
    AfxMessageBox("There are no files to restore");
    m_fileList.Close();
    return false;
  }
  // The text ends at the first zero byte, for both splits alike; a rewrite writes back what
  // follows it unchanged, so that no entry in it is lost.
  ListContents parts = SplitListContents(contents);
  m_strListText = std::move(parts.text);

  if (m_strListText.find(';') == std::string::npos) {
    AfxMessageBox("Error: List file is invalied(no ';' marks)");
    m_fileList.Close();
    return true;
  }

  m_listOnDisk.Loaded(m_szListPath, std::move(contents));
  m_entries.clear();
  SplitIntoEntries();

  m_lbEntries.ResetContent();
  ForEachEntry(m_strListText, [this](std::string_view cstrfp) {
    m_lbEntries.InsertString(-1, std::string(cstrfp));
  });

  m_fileList.Close();
  return true;
}

void CRestoreListDlg::SplitIntoEntries() {
  ForEachEntry(m_strListText, [this](std::string_view cstr) { m_entries.emplace_front(cstr); });
}

void CRestoreListDlg::OnRestore() {
  const std::vector<int> highlighted = m_lbEntries.GetSelItems();
  if (highlighted.size() > 1) {
    RestoreHighlighted(highlighted);
    return;
  }
  const int selection = highlighted.empty() ? m_lbEntries.GetCurSel() : highlighted.front();
  if (selection == LB_ERR || selection < 0 || selection >= m_lbEntries.GetCount()) return;
  const std::string dat = m_lbEntries.GetText(selection);
  const RestoreOutcome outcome = RestoreEntry(m_storeFolder, dat, m_listOnDisk, *this);
  ReportRestore(dat, outcome);
}

void CRestoreListDlg::RestoreHighlighted(const std::vector<int>& rows) {
  HighlightedRun run;
  for (const std::string& entry : m_entries) ++run.inEntries[entry];
  std::vector<std::string> texts;
  texts.reserve(rows.size());
  for (const int row : rows) texts.push_back(m_lbEntries.GetText(row));

  RestoreBatch batch(m_storeFolder, m_listOnDisk, *this);
  std::vector<std::size_t> order(rows.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  batch.PutLinksFirst(order, [&](std::size_t i) { return std::string_view(texts[i]); });
  m_run = &run;
  // Each path tried so far, with why it was left (empty once restored).
  std::unordered_map<std::string_view, std::string> tried;
  std::size_t restored = 0;
  std::vector<LeftEntry> left;
  for (std::size_t turn = 0; turn < order.size(); ++turn) {
    const std::size_t i = order[turn];
    const std::string& dat = texts[i];
    run.row = rows[i];
    run.following = order.size() - 1 - turn;
    if (const auto before = tried.find(dat); before != tried.end()) {
      // The path is back already, or was left for a reason that still holds.
      if (before->second.empty()) {
        batch.Forget(dat);
      } else {
        left.push_back({dat, before->second});
      }
      continue;
    }
    std::string reason = ReasonLeft(batch.Restore(dat));
    if (reason.empty()) {
      ++restored;
    } else {
      left.push_back({dat, reason});
    }
    tried.emplace(dat, std::move(reason));
  }
  m_run = nullptr;

  // Both lists lose the entries dropped: m_entries the occurrences nearest its head, as one
  // drop at a time would; the list box the rows restored, from the last, so that the rows
  // still to delete keep their places.
  std::unordered_map<std::string_view, std::size_t> drops;
  for (const std::string& entry : run.dropped) ++drops[entry];
  for (auto pos = m_entries.begin(); pos != m_entries.end() && !drops.empty();) {
    const auto found = drops.find(*pos);
    if (found == drops.end()) {
      ++pos;
      continue;
    }
    pos = m_entries.erase(pos);
    if (--found->second == 0) drops.erase(found);
  }
  // Links came first, so the rows are in list order only once sorted.
  std::sort(run.droppedRows.begin(), run.droppedRows.end());
  for (auto row = run.droppedRows.rbegin(); row != run.droppedRows.rend(); ++row) {
    m_lbEntries.DeleteString(*row);
  }

  const RestoreBatch::Ending ending = batch.Finish();
  ReportRewrite(ending.rewriteError);
  if (ending.flushError) {
    AfxMessageBox("Writing the restored files to disk failed: " + ErrorText(ending.flushError));
  }
  AfxMessageBox(HighlightedRestoreReport(restored, left));
}

void CRestoreListDlg::ReportRestore(const std::string& dat, const RestoreOutcome& outcome) {
  switch (outcome.result) {
    case RestoreResult::kDeclined:
      return;
    case RestoreResult::kCopyMissing:
      MessageBox(ErrorText(outcome.error), "Error", MB_ICONINFORMATION);
      OfferToForget(dat);
      return;
    case RestoreResult::kCopyFailed:
      MessageBox(ErrorText(outcome.error), "Error", MB_ICONINFORMATION);
      return;
    case RestoreResult::kOverwriteFailed:
      AfxMessageBox("File Restoration Failed!");
      return;
    case RestoreResult::kRestored:
    case RestoreResult::kRestoredOverwriting:
      break;
  }
  ReportRewrite(outcome.rewriteError);
  if (outcome.flushError) {
    AfxMessageBox("Writing the restored file to disk failed: " + ErrorText(outcome.flushError));
    return;
  }
  AfxMessageBox("File Restored");
}

void CRestoreListDlg::OfferToForget(const std::string& dat) {
  const std::string question = "The backup copy of this entry is missing:\n" + dat +
                               "\nRemove the entry from the restoration list?";
  if (AfxMessageBox(question, MB_YESNO) != IDYES) return;
  ReportRewrite(ForgetEntry(dat, m_listOnDisk, *this));
}

void CRestoreListDlg::ReportRewrite(std::error_code failure) {
  if (failure) AfxMessageBox("Rewriting the restoration list failed: " + ErrorText(failure));
}

bool CRestoreListDlg::RestoreFromOtherOrigin(const std::string& origin, const std::string& dat) {
  return AfxMessageBox(OtherOriginQuestion(origin, dat), MB_YESNO) == IDYES;
}

bool CRestoreListDlg::Overwrite(const std::string& dat) {
  if (m_run == nullptr) return AfxMessageBox(kOverwriteQuestion, MB_YESNO) == IDYES;
  if (m_run->overwriteAll) return *m_run->overwriteAll;
  // Several files are asked about in turn: each question names its own, and offers to answer
  // for those still to come, if any are.
  bool forAll = false;
  const bool yes = AfxMessageBoxWithCheck(kOverwriteQuestion, dat, MB_YESNO,
                                          m_run->following > 0 ? kForAll : "", forAll) == IDYES;
  if (forAll) m_run->overwriteAll = yes;
  return yes;
}

bool CRestoreListDlg::DropEntry(const std::string& dat) {
  if (m_run != nullptr) {
    const auto found = m_run->inEntries.find(dat);
    if (found == m_run->inEntries.end() || found->second == 0) {
      AfxMessageBox("Error:path not found in CList");
      return false;
    }
    --found->second;
    m_run->dropped.push_back(dat);
    m_run->droppedRows.push_back(m_run->row);
    return true;
  }
  const auto pos = std::find(m_entries.begin(), m_entries.end(), dat);
  if (pos == m_entries.end()) {
    AfxMessageBox("Error:path not found in CList");
    return false;
  }
  m_entries.erase(pos);
  const int item = m_lbEntries.FindStringExact(0, dat);
  if (item != LB_ERR) m_lbEntries.DeleteString(item);
  return true;
}

void CRestoreListDlg::WalkEntries() {
  for (auto pos = m_entries.begin(); pos != m_entries.end(); ++pos) {
    const std::string cstr = *pos;
    static_cast<void>(cstr);
  }
}

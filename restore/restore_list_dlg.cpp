// CRestoreListDlg: loading list.txt into the list box and the in-memory list, restoring one
// entry from its backup copy, and rewriting list.txt without it.
#include "restore/restore_list_dlg.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "framework/folder_handle.h"
#include "framework/folder_paths.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "restore/restore_list_template.h"
#include "store/copy_origin.h"
#include "store/list_records.h"
#include "store/list_rewrite.h"
#include "store/store_layout.h"
#include "store/store_location.h"

namespace {

const ResourceRegistration kTemplateRegistration(RestoreListTemplate());

constexpr unsigned kLoadMode = CFile::modeReadWrite;

// The store folder's path followed by name, into a kMaxPath buffer. False (and an empty
// buffer) when the path does not fit or the store cannot be found.
bool BuildInStore(char* buffer, std::string_view name) {
  std::memset(buffer, 0, kMaxPath);
  const std::string folder = BackupsFolderPath();
  if (folder.empty() || folder.size() + name.size() >= kMaxPath) return false;
  std::memcpy(buffer, folder.data(), folder.size());
  std::memcpy(buffer + folder.size(), name.data(), name.size());
  return true;
}

// The question before restoring a copy that another file of the same name filled last.
std::string OtherOriginQuestion(const std::string& origin, const std::string& dat) {
  return "The backup copy of this file was last taken from another file:\n" + origin +
         "\nRestore that file's contents to\n" + dat + "?";
}

}  // namespace

CRestoreListDlg::CRestoreListDlg() : CDialog(IDD_RESTORELIST) {}

CRestoreListDlg::~CRestoreListDlg() = default;

const MessageMapEntry CRestoreListDlg::kMessageEntries[] = {
    message_map::Command<&CRestoreListDlg::OnSelChangeEntries>(LBN_SELCHANGE, IDC_LIST_ENTRIES),
    message_map::Command<&CRestoreListDlg::OnRestore>(BN_CLICKED, IDC_RESTORE),
    message_map::ShowWindow<&CRestoreListDlg::OnShowHide>(),
    message_map::Command<&CRestoreListDlg::OnDebug>(BN_CLICKED, IDC_DEBUG),
    message_map::Message<&CRestoreListDlg::OnCloseRequest>(WM_CLOSE),
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
  LoadRestoreList();
}

void CRestoreListDlg::OnDebug() { WalkEntries(); }

void CRestoreListDlg::OnCloseRequest() { CDialog::OnClose(); }

void CRestoreListDlg::LoadRestoreList() {
  if (!BuildInStore(m_szListPath, kListFileName)) {
    AfxMessageBox("Openning restoration list file failed.");
    return;
  }
  // A list the user may read but not write (read-only, immutable, on a read-only disk) is
  // still shown: its backups can be restored, and only the rewrite will say it failed.
  // Nothing is created here: a user who only looks gets no backups folder.
  if (!m_fileList.Open(m_szListPath, kLoadMode) &&
      !m_fileList.Open(m_szListPath, CFile::modeRead)) {
    // Before the first clean there is neither store nor list: nothing failed.
    AfxMessageBox(IsMissing(m_szListPath) ? "There are no files to restore"
                                          : "Openning restoration list file failed.");
    return;
  }

  std::string contents = ReadListContents(m_fileList);

  if (contents.empty()) {
    AfxMessageBox("There are no files to restore");
    m_fileList.Close();
    return;
  }
  // The text ends at the first zero byte, for both splits alike; a rewrite writes back what
  // follows it unchanged, so that no entry in it is lost.
  ListContents parts = SplitListContents(contents);
  m_strListText = std::move(parts.text);

  if (m_strListText.find(';') == std::string::npos) {
    AfxMessageBox("Error: List file is invalied(no ';' marks)");
    m_fileList.Close();
    return;
  }

  m_listOnDisk.Loaded(std::move(contents));
  m_entries.clear();
  SplitIntoEntries();

  m_lbEntries.ResetContent();
  ForEachEntry(m_strListText, [this](std::string_view cstrfp) {
    m_lbEntries.InsertString(-1, std::string(cstrfp));
  });

  m_fileList.Close();
}

void CRestoreListDlg::SplitIntoEntries() {
  ForEachEntry(m_strListText, [this](std::string_view cstr) { m_entries.emplace_front(cstr); });
}

void CRestoreListDlg::OnRestore() {
  const int selection = m_lbEntries.GetCurSel();
  if (selection == LB_ERR || selection < 0 || selection >= m_lbEntries.GetCount()) return;
  const std::string dat = m_lbEntries.GetText(selection);

  char srcfile[kMaxPath];
  if (!BuildInStore(srcfile, CopyNameFor(dat))) {
    MessageBox(ErrorText(std::make_error_code(std::errc::filename_too_long)), "Error",
               MB_ICONINFORMATION);
    return;
  }
  // Files of the same name share one copy: say so before putting another file's contents
  // at this path.
  if (const std::optional<std::string> origin = CopyOrigin(srcfile); origin && *origin != dat) {
    if (AfxMessageBox(OtherOriginQuestion(*origin, dat), MB_YESNO) != IDYES) return;
  }

  // A restore after a clean-up may find the file's folders gone: they are made again, but
  // only for a backup copy that is there to restore, so a failed restore leaves none behind,
  // and only on an absolute path: a relative record (written by an older program, or an
  // editor's line break glued to its front) names no fixed place.
  if (IsAbsolutePath(dat) && IsRegularFile(srcfile)) {
    if (const std::error_code failure = CreateParentFolders(dat)) {
      MessageBox(ErrorText(failure), "Error", MB_ICONINFORMATION);
      return;
    }
  }
  const std::error_code first = CopyFileReplacing(srcfile, dat.c_str(), true);
  if (!first) {
    RemoveRestoredEntry(dat);
    ReportRestored(dat, "File Restored");
    return;
  }
  if (first == std::errc::file_exists) {
    if (AfxMessageBox("File already exists. Overwrite it?", MB_YESNO) != IDYES) return;
    if (CopyFileReplacing(srcfile, dat.c_str(), false)) {
      AfxMessageBox("File Restoration Failed!");
      return;
    }
    RemoveRestoredEntry(dat);
    ReportRestored(dat, "File Restored.");
    return;
  }
  const std::string strerr = ErrorText(first);
  MessageBox(strerr, "Error", MB_ICONINFORMATION);
}

void CRestoreListDlg::ReportRestored(const std::string& dat, const char* restored) {
  // "Restored" must mean the file would survive a power cut that came right after.
  if (const std::error_code error = FlushFileSystemOf(dat.c_str())) {
    AfxMessageBox("Writing the restored file to disk failed: " + ErrorText(error));
    return;
  }
  AfxMessageBox(restored);
}

void CRestoreListDlg::RemoveRestoredEntry(const std::string& dat) {
  const auto pos = std::find(m_entries.begin(), m_entries.end(), dat);
  if (pos == m_entries.end()) {
    AfxMessageBox("Error:path not found in CList");
    return;
  }
  m_entries.erase(pos);
  const int item = m_lbEntries.FindStringExact(0, dat);
  if (item != LB_ERR) m_lbEntries.DeleteString(item);
  SaveRestoreList(dat);
}

void CRestoreListDlg::SaveRestoreList(const std::string& restored) {
  if (m_fileList.IsOpen()) m_fileList.Close();
  if (m_szListPath[0] == '\0') {
    AfxMessageBox("Rewriting the restoration list failed: " +
                  ErrorText(std::make_error_code(std::errc::no_such_file_or_directory)));
    return;
  }
  // Under the store's lock, from the list as it is now: records other instances appended
  // since the load stay, and only the restored entry goes.
  std::string written;
  const std::error_code failure =
      RewriteList(m_szListPath, [&](std::string current) -> std::optional<std::string> {
        std::optional<std::string> text = m_listOnDisk.Compose(current, restored);
        if (text) written = *text;
        return text;
      });
  if (failure) {
    AfxMessageBox("Rewriting the restoration list failed: " + ErrorText(failure));
    return;
  }
  m_listOnDisk.Written(std::move(written));
}

void CRestoreListDlg::WalkEntries() {
  for (auto pos = m_entries.begin(); pos != m_entries.end(); ++pos) {
    const std::string cstr = *pos;
    static_cast<void>(cstr);
  }
}

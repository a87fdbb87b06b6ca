// CRestoreListDlg: loading list.txt into the list box and the in-memory list, restoring one
// entry from its backup copy, and rewriting list.txt without it.
#include "restore/restore_list_dlg.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "framework/message_box.h"
#include "framework/path_parts.h"
#include "framework/resources.h"
#include "restore/restore_list_template.h"

namespace {

const ResourceRegistration kTemplateRegistration(RestoreListTemplate());

const std::string kBackupsFolder = std::string(1, kPathSeparator) + "backups" + kPathSeparator;

constexpr unsigned kLoadMode = CFile::modeReadWrite | CFile::modeCreate | CFile::modeNoTruncate;

// The program folder followed by tail, into a kMaxPath buffer. False (and an empty buffer)
// when the path does not fit.
bool BuildBesideProgram(char* buffer, std::string_view tail) {
  std::memset(buffer, 0, kMaxPath);
  const std::string program = GetProgramPath();
  if (program.size() >= kMaxPath) return false;
  std::memcpy(buffer, program.data(), program.size());
  RemoveFileSpec(buffer);
  const std::size_t folderLength = std::strlen(buffer);
  if (folderLength + tail.size() >= kMaxPath) {
    buffer[0] = '\0';
    return false;
  }
  std::memcpy(buffer + folderLength, tail.data(), tail.size());
  return true;
}

// Calls take(entry) for every entry of a list text: the runs between ";" separators, and
// the text after the last separator when there is any, so that nothing is lost on a rewrite.
template <class Take>
void ForEachEntry(const std::string& text, Take take) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find(';', start);
    if (end == std::string::npos) {
      take(std::string_view(text).substr(start));
      return;
    }
    take(std::string_view(text).substr(start, end - start));
    start = end + 1;
  }
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
  // A list the user may read but not write (read-only, immutable, on a read-only disk) is
  // still shown: its backups can be restored, and only the rewrite will say it failed.
  if (!BuildBesideProgram(m_szListPath, kBackupsFolder + "list.txt") ||
      (!m_fileList.Open(m_szListPath, kLoadMode) &&
       !m_fileList.Open(m_szListPath, CFile::modeRead))) {
    AfxMessageBox("Openning restoration list file failed.");
    return;
  }

  // The whole file, however long; reading on past the length seen at the start keeps
  // whatever was appended meanwhile.
  std::string contents(static_cast<std::size_t>(m_fileList.GetLength()), '\0');
  contents.resize(m_fileList.Read(contents.data(), contents.size()));
  char chunk[64 * 1024];
  while (std::size_t got = m_fileList.Read(chunk, sizeof chunk)) contents.append(chunk, got);

  if (contents.empty()) {
    AfxMessageBox("There are no files to restore");
    m_fileList.Close();
    return;
  }
  // The text ends at the first zero byte, for both splits alike. What follows it is kept
  // aside and written back unchanged by a rewrite, so that no entry in it is lost.
  const std::size_t zero = std::min(contents.find('\0'), contents.size());
  std::string tail = contents.substr(zero);
  contents.resize(zero);
  m_strListText = std::move(contents);

  if (m_strListText.find(';') == std::string::npos) {
    AfxMessageBox("Error: List file is invalied(no ';' marks)");
    m_fileList.Close();
    return;
  }

  m_strUnreadTail = std::move(tail);
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
  const std::string backupName = kBackupsFolder + std::string(FindFileName(dat)) + "BACKUP";
  if (!BuildBesideProgram(srcfile, backupName)) {
    MessageBox(ErrorText(std::make_error_code(std::errc::filename_too_long)), "Error",
               MB_ICONINFORMATION);
    return;
  }

  const std::error_code first = CopyFileReplacing(srcfile, dat.c_str(), true);
  if (!first) {
    RemoveRestoredEntry(dat);
    AfxMessageBox("File Restored");
    return;
  }
  if (first == std::errc::file_exists) {
    if (AfxMessageBox("File already exists. Overwrite it?", MB_YESNO) != IDYES) return;
    if (CopyFileReplacing(srcfile, dat.c_str(), false)) {
      AfxMessageBox("File Restoration Failed!");
      return;
    }
    RemoveRestoredEntry(dat);
    AfxMessageBox("File Restored.");
    return;
  }
  const std::string strerr = ErrorText(first);
  MessageBox(strerr, "Error", MB_ICONINFORMATION);
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
  SaveRestoreList();
}

void CRestoreListDlg::SaveRestoreList() {
  if (m_fileList.IsOpen()) m_fileList.Close();

  std::string text;
  for (const std::string& cstr : m_entries) {
    text += cstr;
    text += ';';
  }
  text += m_strUnreadTail;

  // Written whole beside the old list and renamed over it: an interrupted rewrite leaves the
  // previous list as it was.
  const std::error_code failure = m_szListPath[0] == '\0'
                                      ? std::make_error_code(std::errc::no_such_file_or_directory)
                                      : WriteFileReplacing(m_szListPath, text);
  if (failure) AfxMessageBox("Rewriting the restoration list failed: " + ErrorText(failure));
}

void CRestoreListDlg::WalkEntries() {
  for (auto pos = m_entries.begin(); pos != m_entries.end(); ++pos) {
    const std::string cstr = *pos;
    static_cast<void>(cstr);
  }
}

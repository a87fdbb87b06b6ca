// The main dialog's handlers: browse, the Files box feeding the backup filter, clean with its
// confirmation, folder check, progress, stop question and summary, the help text, the
// restoration list, About and the minimised icon.
#include "main_dlg.h"

#include <optional>
#include <utility>

#include "about_dlg.h"
#include "clean_boxes.h"
#include "engine/backup_store.h"
#include "engine/clean_folder.h"
#include "engine/folder_walk.h"
#include "platform/folder_paths.h"
#include "framework/message_box.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"
#include "framework/resources.h"
#include "resource_ids.h"
#include "restore/restore_list_dlg.h"
#include "unprotected_dlg.h"
#include "walk_progress_display.h"

// The wording is the program's own, odd parts included: it speaks of removing files, which
// the program never does.
const char* const kHelpText =
    "[WARNING: Use this program at your own risk. If somehow any of your files get lost using "
    "this app, i'm not responsible for that;))]\n"
    "1st select the directory you wanna clean. Then type the kind of file you wanna remove in "
    "the Files box-use wildcards to do this. Hit 'Quillmar!'\n"
    "Program will backup the files before it removes them(backup directory in programs' "
    "folder-so you can restore them if you need.)\n"
    "To remove all the file from the directories, keep Files box blank.";

namespace {

// The Directory box read as a shell reads a folder: "~" and "~/..." are in the user's home
// folder. "~name" stays a name, since the box has no other users' homes to offer.
std::string WithHomeExpanded(std::string typed) {
  const bool home = typed == "~" || (typed.size() >= 2 && typed[0] == '~' &&
                                     (typed[1] == kPathSeparator || typed[1] == '/'));
  if (home) typed.replace(0, 1, HomeFolder());
  return typed;
}

// Where the browser opens: the folder the Directory box names, when there is one.
std::string BrowserStartFolder(const std::string& typed) {
  std::string folder = WithHomeExpanded(typed);
  if (!IsFolder(folder) || MakeAbsolute(folder)) return HomeFolder();
  return folder;
}

}  // namespace

CMainDlg::CMainDlg(std::string directory)
    : CDialog(IDD_QUILLMAR_DIALOG),
      m_hAppIcon(LoadIconResource(IDR_MAINFRAME)),
      m_strDirectory(std::move(directory)) {}

CMainDlg::~CMainDlg() = default;

const MessageMap* CMainDlg::GetMessageMap() const {
  static const MessageMapEntry kEntries[] = {
      message_map::SysCommand<&CMainDlg::OnSysCommand>(),
      message_map::Message<&CMainDlg::OnPaint>(WM_PAINT),
      message_map::QueryDragIcon<&CMainDlg::OnQueryDragIcon>(),
      message_map::Command<&CMainDlg::OnBrowse>(BN_CLICKED, IDC_BROWSE),
      message_map::Command<&CMainDlg::OnFilesChange>(EN_CHANGE, IDC_FILES),
      message_map::Command<&CMainDlg::OnDirectoryChange>(EN_CHANGE, IDC_DIRECTORY),
      message_map::Command<&CMainDlg::OnClean>(BN_CLICKED, IDC_CLEAN),
      message_map::Command<&CMainDlg::OnHelpText>(BN_CLICKED, IDC_HELPTEXT),
      message_map::Command<&CMainDlg::OnRestoreFiles>(BN_CLICKED, IDC_RESTOREFILES),
  };
  static const MessageMap kMap{&CDialog::messageMap, kEntries};
  return &kMap;
}

void CMainDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_DIRECTORY, m_strDirectory);
  DDX_Text(pDX, IDC_FILES, m_strFiles);
}

BOOL CMainDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  DialogWindow* window = Window();
  if (window != nullptr && window->HasSystemMenu()) {
    std::string strAboutMenu = LoadStringResource(IDS_ABOUTBOX);
    if (!strAboutMenu.empty()) {
      window->AppendSystemMenu(MF_SEPARATOR, 0, "");
      window->AppendSystemMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
    }
  }
  if (window != nullptr && m_hAppIcon != nullptr) {
    window->SetIcon(*m_hAppIcon, true);
    window->SetIcon(*m_hAppIcon, false);
  }
  return true;
}

void CMainDlg::OnSysCommand(UINT nID, LPARAM lParam) {
  if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
  } else {
    CDialog::OnSysCommand(nID, lParam);
  }
}

void CMainDlg::OnPaint() {
  DialogWindow* window = Window();
  if (window == nullptr || !window->IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  // There is no device context to hand over: the background is the backend's to erase.
  SendMessage(WM_ICONERASEBKGND, 0, 0);
  const int cxIcon = CurrentWindowBackend().GetSystemMetrics(SM_CXICON);
  const int cyIcon = CurrentWindowBackend().GetSystemMetrics(SM_CYICON);
  const ClientRect rect = window->GetClientRect();
  const int x = (rect.right - rect.left - cxIcon + 1) / 2;
  const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
  if (m_hAppIcon != nullptr) window->DrawIcon(x, y, *m_hAppIcon);
}

const Icon* CMainDlg::OnQueryDragIcon() { return m_hAppIcon; }

void CMainDlg::OnBrowse() {
  UpdateData(true);
  if (std::optional<std::string> filepath = CurrentWindowBackend().BrowseForPath(
          "Select a folder:", BrowserStartFolder(m_strDirectory))) {
    m_strDirectory = *filepath;
    ShowRestingTitle();
  }
  UpdateData(false);
}

void CMainDlg::OnFilesChange() {
  UpdateData(true);
  g_strFilter = m_strFiles;
  ShowRestingTitle();
}

void CMainDlg::OnDirectoryChange() { ShowRestingTitle(); }

void CMainDlg::OnClean() {
  // The walk takes the folder and the pattern the boxes show, whatever was typed last.
  UpdateData(true);
  g_strFilter = m_strFiles;
  ShowRestingTitle();
  m_strDirectory = WithHomeExpanded(m_strDirectory);
  std::error_code failure = MakeCleanFolderAbsolute(m_strDirectory);
  UpdateData(false);
  // A folder that cannot be searched is said at once: asking first would have the user agree
  // to a clean that cannot run.
  if (!failure) failure = CleanFolderSearchFailure(m_strDirectory);
  if (failure) {
    AfxMessageBox("Searching the folder \"" + CleanFolderShown(m_strDirectory) +
                  "\" failed: " + ErrorText(failure));
    return;
  }
  if (AfxMessageBox("Click OK to clean files.", MB_OKCANCEL) != IDOK) {
    AfxMessageBox("Aborted.");
    return;
  }
  bool closeRequested = false;
  {
    CleanBoxes boxes;
    ScopedCleanReporter reporting(boxes);
    std::optional<WalkProgressDisplay> progress;
    if (Window() != nullptr) {
      progress.emplace(*Window(), MainDlgTemplate().title, WalkProgressDisplay::Clock::now,
                       WalkProgressLines{IDC_WALK_COUNTS, IDC_WALK_FOLDER});
    }
    WalkFolder(m_strDirectory.c_str(), m_strFiles.c_str(), PrintFoundPath, 0,
               WALK_FILES | WALK_FOLDERS);
    closeRequested = progress && progress->CloseRequested();
  }
  // The boxes shown during the walk name each failure as it came; this names them all, with
  // the ones no box showed, once the walk is over, even when the user then wants to close.
  if (!UnprotectedItems().empty()) {
    CUnprotectedDlg unprotected(UnprotectedItems(), UnprotectedReportPath());
    unprotected.DoModal();
  }
  // The close box was pressed during the walk, which has now ended with its records written
  // and flushed: close as the user asked, the way the close box always closes.
  if (closeRequested) SendMessage(WM_CLOSE, 0, 0);
}

void CMainDlg::ShowRestingTitle() {
  if (Window() == nullptr) return;
  Window()->SetTitle(MainDlgTemplate().title);
  Window()->SetItemText(IDC_WALK_COUNTS, "");
  Window()->SetItemText(IDC_WALK_FOLDER, "");
}

void CMainDlg::OnHelpText() { AfxMessageBox(kHelpText); }

void CMainDlg::OnRestoreFiles() {
  CRestoreListDlg crldlg;
  crldlg.DoModal();
}

// CMainDlg: the program's main window. The user names a directory (typed, or chosen with the
// browser) and a file pattern, starts the backup walk with "Quillmar!", reads the help text
// and opens the restoration list. Ending it ends the program.
#pragma once

#include <string>

#include "framework/dialog.h"

class CMainDlg : public CDialog {
 public:
  // directory is what the Directory box shows at first.
  explicit CMainDlg(std::string directory = {});
  ~CMainDlg() override;

 protected:
  const MessageMap* GetMessageMap() const override;
  // Edit control 1000 <-> m_strDirectory, then 1001 <-> m_strFiles.
  void DoDataExchange(CDataExchange* pDX) override;
  // Adds the About entry to the system menu and sets the window's icons. Returns true.
  BOOL OnInitDialog() override;

 private:
  // 0x10 to 0x1F open the About box; everything else is the framework dialog's.
  void OnSysCommand(UINT nID, LPARAM lParam);
  // Minimised: draws the icon centred in the client area; otherwise the default painting.
  void OnPaint();
  const Icon* OnQueryDragIcon();
  // Opens the browser at the Directory box's folder (the home folder when the box names
  // none); a cancelled browser leaves both boxes as they are.
  void OnBrowse();
  // Every change of the Files box reads both boxes and sets the backup filter.
  void OnFilesChange();
  // A change of the Directory box only puts the resting title back.
  void OnDirectoryChange();
  // Reads both boxes, makes a relative folder absolute, checks that the folder can be
  // searched (saying why not), asks, then walks with its progress, stop question and summary;
  // a stop asked for with the close box closes the dialog once the walk has ended.
  void OnClean();
  // Replaces the summary of the last walk, in the title and below the buttons, once the
  // boxes no longer show what it walked.
  void ShowRestingTitle();
  void OnHelpText();
  void OnRestoreFiles();

  const Icon* m_hAppIcon;  // icon 128; null only if the resource is missing
  std::string m_strDirectory;
  std::string m_strFiles;
};

// Dialog template 102, registered as a resource.
const DialogTemplate& MainDlgTemplate();

// The help text that "?" shows.
extern const char* const kHelpText;

// The restoration list's context menu: "Versions..." opens the copies of the entry with the
// focus rectangle, to restore an older one with the list's own questions and report.
#include "framework/message_box.h"
#include "restore/restore_list_dlg.h"
#include "restore/versions_dlg.h"
#include "store/versions.h"

bool CRestoreListDlg::OnContextMenu(int id) {
  if (id != IDC_LIST_ENTRIES || m_lbEntries.GetCurSel() == LB_ERR || Window() == nullptr) {
    return false;
  }
  Window()->ShowContextMenu(id, {MenuItem{MF_STRING, IDM_VERSIONS, "&Versions..."}});
  return true;
}

void CRestoreListDlg::OnVersions() {
  const int caret = m_lbEntries.GetCurSel();
  if (caret == LB_ERR) return;
  const std::string dat = m_lbEntries.GetText(caret);
  if (CopiesOf(m_storeFolder, dat).empty()) {
    // Only the copy shared by every file of its name, if even that: Restore is the way.
    AfxMessageBox("There are no versions of this entry.");
    return;
  }
  // A restore from here takes the entry off the list as Restore does, as
  // `quillmar restore --as-of` does too.
  CVersionsDlg versions(
      m_storeFolder, dat, m_listOnDisk, *this,
      [this, &dat](const RestoreOutcome& outcome) { ReportRestore(dat, outcome); });
  versions.DoModal();
}

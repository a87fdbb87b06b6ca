// CVersionsDlg: lists an entry's copies and restores the one chosen through the store's
// RestoreEntryFrom, so a file it replaces is kept as a version like any restore's.
#include "restore/versions_dlg.h"

#include <utility>

#include "framework/resources.h"
#include "platform/platform_files.h"

namespace {

const ResourceRegistration kTemplateRegistration(VersionsTemplate());

// A row of the list: when the copy was taken (in UTC, as `quillmar versions` prints it), its
// size, and "latest" for the path's own copy.
std::string RowText(const Version& copy) {
  std::string row = copy.timeKnown ? VersionTimeText(copy.takenAt) + " UTC" : "time not noted";
  row += ", " + std::to_string(copy.size) + (copy.size == 1 ? " byte" : " bytes");
  if (copy.ownCopy) row += ", latest";
  return row;
}

}  // namespace

CVersionsDlg::CVersionsDlg(std::string store, std::string entry, ListOnDisk& list,
                           RestoreConversation& conversation, Report report)
    : CDialog(IDD_VERSIONS),
      m_store(std::move(store)),
      m_entry(std::move(entry)),
      m_list(list),
      m_conversation(conversation),
      m_report(std::move(report)) {}

CVersionsDlg::~CVersionsDlg() = default;

const MessageMapEntry CVersionsDlg::kMessageEntries[] = {
    message_map::Command<&CVersionsDlg::OnRestore>(BN_CLICKED, IDC_VERSIONS_RESTORE),
};
const MessageMap CVersionsDlg::messageMap{&CDialog::messageMap, kMessageEntries};

const MessageMap* CVersionsDlg::GetMessageMap() const { return &messageMap; }

void CVersionsDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_VERSIONS_LIST, m_lbCopies);
}

BOOL CVersionsDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (Window() != nullptr) Window()->SetItemText(IDC_VERSIONS_PATH, m_entry);
  FillList();
  return true;
}

void CVersionsDlg::FillList() {
  m_copies = CopiesOf(m_store, m_entry);
  m_lbCopies.ResetContent();
  for (const Version& copy : m_copies) m_lbCopies.InsertString(-1, RowText(copy));
}

void CVersionsDlg::OnRestore() {
  const int caret = m_lbCopies.GetCurSel();
  if (caret == LB_ERR || caret < 0 || caret >= static_cast<int>(m_copies.size())) return;
  const RestoreOutcome outcome = RestoreEntryFrom(
      m_store, m_entry, m_copies[static_cast<std::size_t>(caret)].path, m_list, m_conversation);
  if (outcome.result == RestoreResult::kCopyMissing) {
    // Pruned since the list was read: the entry's other copies are still there to choose.
    MessageBox(ErrorText(outcome.error), "Error", MB_ICONINFORMATION);
    FillList();
    return;
  }
  m_report(outcome);
  if (outcome.result == RestoreResult::kRestored ||
      outcome.result == RestoreResult::kRestoredOverwriting) {
    EndDialog(IDOK);
  }
}

// Tests of CDialog: message-table chaining, the default handling that ends a modal run, and
// data exchange in both directions, run on the scripted backend.
#include "dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "resources.h"
#include "scripted/scripted_backend.h"
#include "scripted/scripted_window.h"

namespace {

constexpr int kTemplateId = 9201;
constexpr int kName = 10;
constexpr int kFiles = 11;
constexpr int kButton = 12;

const DialogTemplate kTemplate{kTemplateId,
                               WS_VISIBLE | WS_SYSMENU,
                               0,
                               0,
                               0,
                               150,
                               80,
                               "Exchange",
                               {"MS Shell Dlg", 8, 400, false, 1},
                               {{kName, ControlClass::Edit, "", WS_TABSTOP, 5, 5, 100, 12},
                                {kFiles, ControlClass::Edit, "", WS_TABSTOP, 5, 20, 100, 12},
                                {kButton, ControlClass::Button, "Go", WS_TABSTOP, 5, 40, 40, 14}}};
const ResourceRegistration kRegistration(kTemplate);

using Calls = std::vector<std::string>;

// Handles a click on kButton and WM_PAINT itself; everything else falls through.
class BaseDialog : public CDialog {
 public:
  explicit BaseDialog(Calls& calls) : CDialog(kTemplateId), m_calls(calls) {}
  std::string m_strName;
  std::string m_strFiles;

 protected:
  const MessageMap* GetMessageMap() const override { return &messageMap; }
  void DoDataExchange(CDataExchange* pDX) override {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, kName, m_strName);
    DDX_Text(pDX, kFiles, m_strFiles);
  }
  Calls& m_calls;

  static const MessageMap messageMap;

 private:
  void OnBaseClick() { m_calls.push_back("base click"); }
  void OnBasePaint() { m_calls.push_back("base paint"); }
  static const MessageMapEntry kEntries[];
};
const MessageMapEntry BaseDialog::kEntries[] = {
    message_map::Command<&BaseDialog::OnBaseClick>(BN_CLICKED, kButton),
    message_map::Message<&BaseDialog::OnBasePaint>(WM_PAINT),
};
const MessageMap BaseDialog::messageMap{&CDialog::messageMap, kEntries};

// Takes over the click, adds an edit notification, and watches OK and Cancel.
class DerivedDialog : public BaseDialog {
 public:
  using BaseDialog::BaseDialog;

 protected:
  const MessageMap* GetMessageMap() const override { return &messageMap; }
  void OnOK() override {
    m_calls.push_back("ok");
    BaseDialog::OnOK();
  }
  void OnCancel() override {
    m_calls.push_back("cancel");
    BaseDialog::OnCancel();
  }

 private:
  void OnDerivedClick() { m_calls.push_back("derived click"); }
  void OnNameChange() { m_calls.push_back("name change"); }
  void OnShow(BOOL show, UINT status) {
    m_calls.push_back("show " + std::to_string(show) + " " + std::to_string(status));
  }
  static const MessageMapEntry kEntries[];
  static const MessageMap messageMap;
};
const MessageMapEntry DerivedDialog::kEntries[] = {
    message_map::Command<&DerivedDialog::OnNameChange>(EN_CHANGE, kName),
    message_map::Command<&DerivedDialog::OnDerivedClick>(BN_CLICKED, kButton),
    message_map::ShowWindow<&DerivedDialog::OnShow>(),
};
const MessageMap DerivedDialog::messageMap{&BaseDialog::messageMap, kEntries};

TEST(MessageTables, MostDerivedEntryWinsAndBaseEntriesStillServe) {
  Calls calls;
  DerivedDialog dialog(calls);
  dialog.SendMessage(WM_COMMAND, MakeCommandWParam(BN_CLICKED, kButton), 0);
  dialog.SendMessage(WM_PAINT, 0, 0);
  dialog.SendMessage(WM_COMMAND, MakeCommandWParam(EN_CHANGE, kName), 0);
  dialog.SendMessage(WM_SHOWWINDOW, 1, 3);
  EXPECT_EQ(calls, (Calls{"derived click", "base paint", "name change", "show 1 3"}));

  calls.clear();
  BaseDialog base(calls);
  base.SendMessage(WM_COMMAND, MakeCommandWParam(BN_CLICKED, kButton), 0);
  base.SendMessage(WM_COMMAND, MakeCommandWParam(EN_CHANGE, kName), 0);
  EXPECT_EQ(calls, (Calls{"base click"}));
}

TEST(MessageTables, CommandNeedsBothCodeAndIdToMatch) {
  Calls calls;
  DerivedDialog dialog(calls);
  dialog.SendMessage(WM_COMMAND, MakeCommandWParam(EN_CHANGE, kButton), 0);
  dialog.SendMessage(WM_COMMAND, MakeCommandWParam(BN_CLICKED, kName), 0);
  dialog.SendMessage(WM_COMMAND, MakeCommandWParam(BN_CLICKED, kFiles), 0);
  EXPECT_TRUE(calls.empty());
  // An unknown message is answered with 0 by default handling.
  EXPECT_EQ(dialog.SendMessage(0x7777, 1, 2), 0);
}

TEST(DefaultHandling, OkReadsTheControlsAndEndsWithIdok) {
  ScriptedBackend backend;
  Calls calls;
  DerivedDialog dialog(calls);
  backend.Type(kName, "C:/data").Type(kFiles, "*.txt").Enter();
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_strName, "C:/data");
  EXPECT_EQ(dialog.m_strFiles, "*.txt");
  EXPECT_EQ(calls.back(), "ok");
  EXPECT_EQ(backend.PendingActions(), 0u);
}

TEST(DefaultHandling, CancelCloseAndSystemCloseEndWithIdcancelWithoutReading) {
  struct Case {
    const char* name;
    std::function<void(ScriptedBackend&)> act;
  };
  const std::vector<Case> cases = {
      {"escape", [](ScriptedBackend& b) { b.Escape(); }},
      {"close box", [](ScriptedBackend& b) { b.Close(); }},
      {"system close", [](ScriptedBackend& b) { b.SysCommand(SC_CLOSE | 0x2); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedBackend backend;
    Calls calls;
    DerivedDialog dialog(calls);
    dialog.m_strName = "kept";
    backend.Type(kName, "typed");
    c.act(backend);
    backend.Then([] { ADD_FAILURE() << "the dialog should have ended already"; });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_strName, "kept");
    EXPECT_EQ(calls.back(), "cancel");
    EXPECT_EQ(backend.PendingActions(), 1u);
  }
}

TEST(DefaultHandling, OtherCommandsAndSystemCommandsDoNotEndTheRun) {
  ScriptedBackend backend;
  Calls calls;
  DerivedDialog dialog(calls);
  bool reached = false;
  backend.SysCommand(0x10).Then([&] {
    // OK's id with a notification other than a click is not the OK command.
    dialog.SendMessage(WM_COMMAND, MakeCommandWParam(EN_CHANGE, IDOK), 0);
    dialog.SendMessage(WM_COMMAND, MakeCommandWParam(BN_CLICKED, kFiles), 0);
    dialog.SendMessage(WM_QUERYDRAGICON, 0, 0);
  });
  backend.Then([&] { reached = true; }).Close();
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_TRUE(reached);
  EXPECT_EQ(calls.back(), "cancel");
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "cancel"), 1);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "ok"), 0);
}

TEST(DataExchange, InitialisationFillsControlsAndUpdateDataWorksBothWays) {
  ScriptedBackend backend;
  Calls calls;
  DerivedDialog dialog(calls);
  dialog.m_strName = "/home/user";
  dialog.m_strFiles = "*.*";
  backend.Then([&] {
    ScriptedWindow& w = *backend.ActiveWindow();
    EXPECT_EQ(w.GetItemText(kName), "/home/user");
    EXPECT_EQ(w.GetItemText(kFiles), "*.*");
  });
  backend.Type(kFiles, "*.doc").Then([&] {
    // Typing alone changes only the control.
    EXPECT_EQ(dialog.m_strFiles, "*.*");
    EXPECT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_strFiles, "*.doc");
    EXPECT_EQ(dialog.m_strName, "/home/user");
    dialog.m_strName = "/elsewhere";
    EXPECT_TRUE(dialog.UpdateData(false));
    EXPECT_EQ(backend.ActiveWindow()->GetItemText(kName), "/elsewhere");
  });
  dialog.DoModal();
  EXPECT_TRUE(backend.Problems().empty());
}

TEST(DataExchange, OutsideARunTheMembersAreLeftAlone) {
  Calls calls;
  DerivedDialog dialog(calls);
  dialog.m_strName = "unchanged";
  EXPECT_TRUE(dialog.UpdateData(true));
  EXPECT_EQ(dialog.m_strName, "unchanged");
  dialog.EndDialog(IDOK);  // harmless without a window
  EXPECT_EQ(dialog.Window(), nullptr);
}

TEST(DialogMessageBox, CarriesItsOwnCaption) {
  ScriptedBackend backend;
  Calls calls;
  DerivedDialog dialog(calls);
  EXPECT_EQ(dialog.MessageBox("No such file", "Error", MB_ICONINFORMATION), IDOK);
  ASSERT_EQ(backend.Messages().size(), 1u);
  EXPECT_EQ(backend.Messages()[0].text, "No such file");
  EXPECT_EQ(backend.Messages()[0].caption, "Error");
  EXPECT_EQ(backend.Messages()[0].style, MB_ICONINFORMATION);
}

}  // namespace

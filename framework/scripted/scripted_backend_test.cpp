// Tests of the scripted backend: real dialogs driven by queued user actions, nested modal
// runs, answers to message boxes, the order of recorded messages and queue-dry closing.
#include "scripted_backend.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../dialog.h"
#include "../list_box.h"
#include "../message_box.h"
#include "../resources.h"
#include "scripted_window.h"

namespace {

constexpr int kOuterId = 9101;
constexpr int kInnerId = 9102;
constexpr int kHiddenId = 9103;
constexpr int kEdit = 200;
constexpr int kList = 300;
constexpr int kAsk = 100;
constexpr int kOpen = 101;
constexpr int kDefault = 102;
constexpr int kMenuOpen = 700;
constexpr int kMenuUnused = 701;

const DialogTemplate kOuter{kOuterId,
                            WS_VISIBLE | WS_SYSMENU,
                            0,
                            0,
                            0,
                            200,
                            100,
                            "Outer",
                            {"MS Shell Dlg", 8, 400, false, 1},
                            {{kEdit, ControlClass::Edit, "start", WS_TABSTOP, 5, 5, 100, 12},
                             {kList, ControlClass::ListBox, "", LBS_MULTIPLESEL, 5, 20, 100, 50},
                             {kAsk, ControlClass::Button, "Ask", WS_TABSTOP, 110, 5, 40, 14},
                             {kOpen, ControlClass::Button, "Open", WS_TABSTOP, 110, 25, 40, 14}}};
const DialogTemplate kInner{kInnerId,
                            WS_VISIBLE,
                            0,
                            0,
                            0,
                            100,
                            60,
                            "Inner",
                            {"MS Shell Dlg", 8, 400, false, 1},
                            {{kEdit, ControlClass::Edit, "", WS_TABSTOP, 5, 5, 80, 12},
                             {kAsk, ControlClass::Button, "Ask", WS_TABSTOP, 5, 20, 40, 14}}};
// Not visible by template, with a default push button.
const DialogTemplate kHidden{
    kHiddenId,
    WS_SYSMENU,
    0,
    0,
    0,
    100,
    60,
    "Hidden",
    {"MS Shell Dlg", 8, 400, false, 1},
    {{kEdit, ControlClass::Edit, "", WS_TABSTOP, 5, 5, 80, 12},
     {kDefault, ControlClass::Button, "Go", WS_TABSTOP | BS_DEFPUSHBUTTON, 5, 20, 40, 14}}};
const ResourceRegistration kOuterRegistration(kOuter);
const ResourceRegistration kInnerRegistration(kInner);
const ResourceRegistration kHiddenRegistration(kHidden);

// A dialog that logs every message it receives as "name:what" before dispatching it.
class LoggingDialog : public CDialog {
 public:
  LoggingDialog(int templateId, std::string name, std::vector<std::string>& log)
      : CDialog(templateId), m_name(std::move(name)), m_log(log) {}

  LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    std::string what;
    switch (message) {
      case WM_SHOWWINDOW:
        what = "show " + std::to_string(wParam);
        break;
      case WM_COMMAND:
        what = "command " + std::to_string(CommandCode(wParam)) + " " +
               std::to_string(CommandId(wParam));
        break;
      case WM_CLOSE:
        what = "close";
        break;
      case WM_SYSCOMMAND:
        what = "syscommand " + std::to_string(wParam);
        break;
      case WM_PAINT:
        what = "paint";
        break;
      case WM_CONTEXTMENU:
        what = "contextmenu " + std::to_string(wParam);
        break;
      default:
        what = "message " + std::to_string(message);
    }
    m_log.push_back(m_name + ":" + what);
    return CDialog::SendMessage(message, wParam, lParam);
  }

  std::string m_text;
  CListBox m_list;
  std::vector<int> m_answers;
  int m_innerResult = 0;
  bool m_ignoreClose = false;

 protected:
  const MessageMap* GetMessageMap() const override { return &messageMap; }
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, kEdit, m_text);
    if (TemplateId() == kOuterId) DDX_Control(pDX, kList, m_list);
  }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    for (const char* item : {"a", "b", "c"}) m_list.InsertString(-1, item);
    return 1;
  }

 private:
  void OnAsk() { m_answers.push_back(AfxMessageBox(m_name + " asks", MB_YESNO)); }
  void OnOpen() {
    LoggingDialog inner(kInnerId, "inner", m_log);
    m_innerResult = inner.DoModal();
  }
  void OnCloseRequest() {
    if (!m_ignoreClose) CDialog::OnClose();
  }
  // A menu for the list alone.
  bool OnContextMenu(int id) {
    if (id != kList) return false;
    Window()->ShowContextMenu(
        id, {MenuItem{MF_STRING, kMenuOpen, "&Open"}, MenuItem{MF_SEPARATOR, 0, ""},
             MenuItem{MF_STRING, kMenuUnused, "&Nothing"}});
    return true;
  }

  static const MessageMapEntry kEntries[];
  static const MessageMap messageMap;
  std::string m_name;
  std::vector<std::string>& m_log;
};

const MessageMapEntry LoggingDialog::kEntries[] = {
    message_map::Command<&LoggingDialog::OnAsk>(BN_CLICKED, kAsk),
    message_map::Command<&LoggingDialog::OnOpen>(BN_CLICKED, kOpen),
    message_map::Message<&LoggingDialog::OnCloseRequest>(WM_CLOSE),
    message_map::ContextMenu<&LoggingDialog::OnContextMenu>(),
    message_map::MenuCommand<&LoggingDialog::OnOpen>(kMenuOpen),
};
const MessageMap LoggingDialog::messageMap{&CDialog::messageMap, kEntries};

using Log = std::vector<std::string>;

TEST(ScriptedMessageBoxes, RecordTextCaptionAndStyleInOrder) {
  ScriptedBackend backend;
  AfxMessageBox("first");
  backend.Answer(IDOK);
  AfxMessageBox("second", MB_OKCANCEL);
  backend.MessageBox("third", "Error", MB_ICONINFORMATION);

  ASSERT_EQ(backend.Messages().size(), 3u);
  EXPECT_EQ(backend.MessageTexts(), (std::vector<std::string>{"first", "second", "third"}));
  EXPECT_EQ(backend.Messages()[0].caption, kApplicationTitle);
  EXPECT_EQ(backend.Messages()[0].style, MB_OK);
  EXPECT_EQ(backend.Messages()[1].style, MB_OKCANCEL);
  EXPECT_EQ(backend.Messages()[2].caption, "Error");
  EXPECT_EQ(backend.Messages()[2].style, MB_ICONINFORMATION);
  EXPECT_TRUE(backend.Problems().empty());
  backend.ClearMessages();
  EXPECT_TRUE(backend.Messages().empty());
}

TEST(ScriptedMessageBoxes, AnswersAreTakenInQueueOrder) {
  ScriptedBackend backend;
  backend.Answer(IDYES).Answer(IDNO).Answer(IDCANCEL);
  EXPECT_EQ(AfxMessageBox("q1", MB_YESNO), IDYES);
  EXPECT_EQ(AfxMessageBox("q2", MB_YESNO), IDNO);
  EXPECT_EQ(AfxMessageBox("q3", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(backend.PendingActions(), 0u);
  EXPECT_TRUE(backend.Problems().empty());
}

TEST(ScriptedMessageBoxes, OkOnlyBoxLeavesOtherActionsQueued) {
  ScriptedBackend backend;
  backend.Click(kAsk);
  EXPECT_EQ(AfxMessageBox("note"), IDOK);
  EXPECT_EQ(backend.PendingActions(), 1u);
  EXPECT_TRUE(backend.Problems().empty());
}

TEST(ScriptedMessageBoxes, UnansweredQuestionIsAProblemAndDeclines) {
  ScriptedBackend backend;
  EXPECT_EQ(AfxMessageBox("overwrite?", MB_YESNO), IDNO);
  EXPECT_EQ(AfxMessageBox("clean?", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(backend.Problems().size(), 2u);
  EXPECT_EQ(backend.Messages().size(), 2u);
}

TEST(ScriptedMessageBoxes, AnswerNotOfferedByTheBoxIsAProblem) {
  ScriptedBackend backend;
  backend.Answer(IDYES);
  EXPECT_EQ(AfxMessageBox("plain"), IDYES);
  EXPECT_EQ(backend.Problems().size(), 1u);
}

TEST(ScriptedMessageBoxes, ACheckBoxIsTickedOnlyByAnAnswerThatTicksItAndOnlyWhereThereIsOne) {
  ScriptedBackend backend;
  backend.Answer(IDYES).AnswerWithCheck(IDNO).AnswerWithCheck(IDOK).AnswerWithCheck(IDYES);
  bool checked = true;
  EXPECT_EQ(AfxMessageBoxWithCheck("q1", "/a", MB_YESNO, "for all", checked), IDYES);
  EXPECT_FALSE(checked);
  EXPECT_EQ(AfxMessageBoxWithCheck("q2", "/b", MB_YESNO, "for all", checked), IDNO);
  EXPECT_TRUE(checked);
  EXPECT_TRUE(backend.Problems().empty());
  // A box without a check box cannot have one ticked.
  AfxMessageBox("plain");
  AfxMessageBoxWithCheck("q3", "/c", MB_YESNO, "", checked);
  EXPECT_EQ(backend.Problems().size(), 2u);
  ASSERT_EQ(backend.Messages().size(), 4u);
  EXPECT_EQ(backend.Messages()[1].detail, "/b");
  EXPECT_EQ(backend.Messages()[1].checkText, "for all");
  EXPECT_EQ(backend.Messages()[1].caption, kApplicationTitle);
  EXPECT_EQ(backend.Messages()[2].checkText, "");
}

TEST(ScriptedRuns, ShowsFirstThenClosesWhenTheQueueRunsDry) {
  ScriptedBackend backend;
  Log log;
  LoggingDialog dialog(kOuterId, "outer", log);
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(log, (Log{"outer:show 1", "outer:close"}));
  EXPECT_EQ(dialog.Window(), nullptr);
  EXPECT_EQ(backend.ActiveWindow(), nullptr);
}

TEST(ScriptedRuns, UnregisteredTemplateDoesNotRun) {
  ScriptedBackend backend;
  Log log;
  LoggingDialog dialog(4242, "nowhere", log);
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_TRUE(log.empty());
}

TEST(ScriptedRuns, DialogIgnoringCloseStillEnds) {
  ScriptedBackend backend;
  Log log;
  LoggingDialog dialog(kOuterId, "outer", log);
  dialog.m_ignoreClose = true;
  backend.Close();
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(log, (Log{"outer:show 1", "outer:close", "outer:close"}));
}

TEST(ScriptedRuns, InvisibleTemplateIsShownOnceAtTheStart) {
  ScriptedBackend backend;
  Log log;
  LoggingDialog dialog(kHiddenId, "hidden", log);
  backend.Show().Hide().Hide().Show().Escape();
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(log, (Log{"hidden:show 1", "hidden:show 0", "hidden:show 1", "hidden:command 0 2"}));
}

TEST(ScriptedRuns, EnterPressesTheDefaultButtonOrOk) {
  ScriptedBackend backend;
  Log log;
  {
    LoggingDialog dialog(kHiddenId, "hidden", log);
    backend.Enter().Close();
    dialog.DoModal();
  }
  EXPECT_EQ(log[1], "hidden:command 0 " + std::to_string(kDefault));
  log.clear();
  LoggingDialog outer(kOuterId, "outer", log);
  backend.Type(kEdit, "typed").Enter();
  EXPECT_EQ(outer.DoModal(), IDOK);
  EXPECT_EQ(log.back(), "outer:command 0 1");
  // The default OK handling read the edit box into its member.
  EXPECT_EQ(outer.m_text, "typed");
}

TEST(ScriptedRuns, UserActionsRaiseTheirNotifications) {
  ScriptedBackend backend;
  Log log;
  LoggingDialog dialog(kOuterId, "outer", log);
  ScriptedWindow* seen = nullptr;
  backend.Type(kEdit, "xy")
      .TypeKeys(kEdit, "zw")
      .Pick(kList, 2)
      .Click(kOpen)
      .Escape()  // ends the inner dialog
      .SysCommand(0x10)
      .Minimise(true, 20, 30)
      .Then([&] {
        seen = backend.ActiveWindow();
        ASSERT_NE(seen, nullptr);
        EXPECT_EQ(seen->GetItemText(kEdit), "xyzw");
        EXPECT_EQ(seen->ListCaret(kList), 2);
        EXPECT_TRUE(seen->IsIconic());
        EXPECT_EQ(seen->GetClientRect().right, 20);
        EXPECT_EQ(seen->GetClientRect().bottom, 30);
      })
      .SysCommand(SC_CLOSE);
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  ASSERT_NE(seen, nullptr);
  const std::string change = "outer:command " + std::to_string(EN_CHANGE) + " 200";
  EXPECT_EQ(log,
            (Log{"outer:show 1", change, change, change, "outer:command 1 300",
                 "outer:command 0 101", "inner:show 1", "inner:command 0 2", "outer:syscommand 16",
                 "outer:paint", "outer:syscommand " + std::to_string(SC_CLOSE), "outer:close"}));
  EXPECT_EQ(dialog.m_innerResult, IDCANCEL);
  EXPECT_TRUE(backend.Problems().empty());
}

TEST(ScriptedRuns, NestedRunsTakeTheFollowingActions) {
  ScriptedBackend backend;
  Log log;
  LoggingDialog dialog(kOuterId, "outer", log);
  std::vector<std::string> activeTitles;
  auto noteActive = [&] { activeTitles.push_back(backend.ActiveWindow()->Title()); };
  backend.Then(noteActive)
      .Click(kOpen)
      .Then(noteActive)
      .Type(kEdit, "inner text")
      .Click(kAsk)
      .Answer(IDYES)
      .Close()  // closes the inner dialog only
      .Then(noteActive)
      .Then([&] { EXPECT_EQ(backend.ActiveWindow()->GetItemText(kEdit), "outer text"); })
      .Click(kAsk)
      .Answer(IDNO);
  dialog.m_text = "outer text";  // shown in the outer edit box by initialisation
  dialog.DoModal();
  EXPECT_EQ(activeTitles, (std::vector<std::string>{"Outer", "Inner", "Outer"}));
  EXPECT_EQ(backend.MessageTexts(), (std::vector<std::string>{"inner asks", "outer asks"}));
  EXPECT_EQ(dialog.m_answers, (std::vector<int>{IDNO}));
  EXPECT_EQ(dialog.m_innerResult, IDCANCEL);
  EXPECT_EQ(backend.PendingActions(), 0u);
  EXPECT_TRUE(backend.Problems().empty());
}

TEST(ScriptedRuns, ActionsNoWindowCanTakeAreProblems) {
  ScriptedBackend backend;
  Log log;
  LoggingDialog dialog(kOuterId, "outer", log);
  backend.Click(999).Type(kList, "not an edit").Pick(kList, 7).Answer(IDOK);
  dialog.DoModal();
  EXPECT_EQ(backend.Problems().size(), 4u);
  // None of them reached the dialog.
  EXPECT_EQ(log, (Log{"outer:show 1", "outer:close"}));
}

TEST(ScriptedWindowState, ListCaretFollowsInsertAndDelete) {
  ScriptedBackend backend;
  Log log;
  LoggingDialog dialog(kOuterId, "outer", log);
  backend.Then([&] {
    ScriptedWindow& w = *backend.ActiveWindow();
    EXPECT_EQ(w.ListCaret(kList), 0);  // a filled list starts at its first item
    EXPECT_EQ(w.ListItems(kList), (std::vector<std::string>{"a", "b", "c"}));
  });
  backend.Pick(kList, 1).Then([&] {
    ScriptedWindow& w = *backend.ActiveWindow();
    EXPECT_EQ(w.ListInsert(kList, 0, "first"), 0);
    EXPECT_EQ(w.ListCaret(kList), 2);  // still on "b"
    EXPECT_EQ(w.ListDelete(kList, 0), 3);
    EXPECT_EQ(w.ListCaret(kList), 1);
    EXPECT_EQ(w.ListDelete(kList, 1), 2);  // "b" goes; the caret stays at its index, on "c"
    EXPECT_EQ(w.ListCaret(kList), 1);
    EXPECT_EQ(w.ListDelete(kList, 5), LB_ERR);
    EXPECT_EQ(w.ListInsert(kList, 9, "x"), LB_ERR);
    EXPECT_EQ(w.ListText(kList, 1), "c");
    EXPECT_EQ(w.ListText(kList, 2), "");
    EXPECT_EQ(w.ListDelete(kList, 1), 1);  // the last item goes: the new last one
    EXPECT_EQ(w.ListCaret(kList), 0);
    w.ListReset(kList);
    EXPECT_EQ(w.ListCount(kList), 0);
    EXPECT_EQ(w.ListCaret(kList), LB_ERR);
    EXPECT_EQ(w.ListCount(kEdit), LB_ERR);
  });
  dialog.DoModal();
  EXPECT_TRUE(backend.Problems().empty());
}

TEST(ScriptedWindowState, SystemMenuIconsAndMetrics) {
  ScriptedBackend backend;
  backend.SetIconSize(48);
  EXPECT_EQ(backend.GetSystemMetrics(SM_CXICON), 48);
  EXPECT_EQ(backend.GetSystemMetrics(SM_CYICON), 48);
  EXPECT_EQ(backend.GetSystemMetrics(0), 0);
  const Icon icon{128, {{1, 1, {0xFF000000u}}}};
  Log log;
  LoggingDialog withMenu(kOuterId, "outer", log);
  backend.Then([&] {
    ScriptedWindow& w = *backend.ActiveWindow();
    EXPECT_TRUE(w.HasSystemMenu());
    w.AppendSystemMenu(MF_SEPARATOR, 0, "");
    w.AppendSystemMenu(MF_STRING, 0x10, "&About");
    ASSERT_EQ(w.SystemMenu().size(), 2u);
    EXPECT_EQ(w.SystemMenu()[1].commandId, 0x10u);
    EXPECT_EQ(w.SystemMenu()[1].text, "&About");
    w.SetIcon(icon, true);
    EXPECT_EQ(w.BigIconId(), 128);
    EXPECT_EQ(w.SmallIconId(), 0);
    w.DrawIcon(-5, 3, icon);
    ASSERT_EQ(w.DrawnIcons().size(), 1u);
    EXPECT_EQ(w.DrawnIcons()[0].x, -5);
  });
  withMenu.DoModal();
  LoggingDialog withoutMenu(kInnerId, "inner", log);
  backend.Then([&] {
    ScriptedWindow& w = *backend.ActiveWindow();
    EXPECT_FALSE(w.HasSystemMenu());
    w.AppendSystemMenu(MF_STRING, 0x10, "&About");
    EXPECT_TRUE(w.SystemMenu().empty());
  });
  withoutMenu.DoModal();
}

TEST(ScriptedContextMenus, ARightClickMovesTheCaretAndAChosenItemSendsItsCommand) {
  ScriptedBackend backend;
  Log log;
  LoggingDialog dialog(kOuterId, "outer", log);
  std::vector<std::vector<std::string>> menus;
  auto noteMenu = [&] {
    menus.emplace_back();
    for (const MenuItem& item : backend.ActiveWindow()->ContextMenu()) {
      menus.back().push_back(item.text);
    }
  };
  backend.ContextMenu(kList, 2)
      .Then([&] { EXPECT_EQ(backend.ActiveWindow()->ListCaret(kList), 2); })
      .Then(noteMenu)
      .ChooseMenuItem(kMenuOpen)  // opens the inner dialog, which the next action closes
      .Close()
      .ContextMenu(kList)  // from the keyboard: the caret stays
      .Then([&] { EXPECT_EQ(backend.ActiveWindow()->ListCaret(kList), 2); })
      .Click(kAsk)  // dismisses the menu before the click
      .Answer(IDNO)
      .Then(noteMenu)
      .ContextMenu(kEdit);  // the dialog shows no menu of its own there
  dialog.DoModal();
  EXPECT_EQ(menus, (std::vector<std::vector<std::string>>{{"&Open", "", "&Nothing"}, {}}));
  EXPECT_EQ(log, (Log{"outer:show 1", "outer:contextmenu 300", "outer:command 0 700",
                      "inner:show 1", "inner:close", "outer:contextmenu 300", "outer:command 0 100",
                      "outer:contextmenu 200", "outer:close"}));
  EXPECT_EQ(dialog.m_innerResult, IDCANCEL);
  EXPECT_TRUE(backend.Problems().empty()) << backend.Problems().front();
}

TEST(ScriptedContextMenus, ItemsOfNoOpenMenuAndRowsOutOfRangeAreProblems) {
  ScriptedBackend backend;
  Log log;
  LoggingDialog dialog(kOuterId, "outer", log);
  std::vector<std::string> shown;
  backend.ContextMenu(kList)
      .Then([&] {
        for (const MenuItem& item : backend.ActiveWindow()->ContextMenu())
          shown.push_back(item.text);
      })
      .ChooseMenuItem(0)            // a separator is no item: the menu stays open
      .ChooseMenuItem(kMenuUnused)  // taken, and the menu closes
      .ChooseMenuItem(kMenuOpen)    // no menu is open any more
      .ContextMenu(kList, 3)        // no such row
      .ContextMenu(999);            // no such control
  dialog.DoModal();
  EXPECT_EQ(shown, (std::vector<std::string>{"&Open", "", "&Nothing"}));
  EXPECT_EQ(backend.Problems().size(), 4u);
  EXPECT_EQ(log,
            (Log{"outer:show 1", "outer:contextmenu 300", "outer:command 0 701", "outer:close"}));
}

TEST(ScriptedBrowser, ReturnsTheSetResultOnceAndRecordsWhereEachOpened) {
  ScriptedBackend backend;
  EXPECT_FALSE(backend.BrowseForPath("Choose", "/home/me").has_value());
  backend.SetBrowseResult("/tmp/chosen");
  EXPECT_EQ(backend.BrowseForPath("Choose", "/tmp"), std::optional<std::string>("/tmp/chosen"));
  EXPECT_FALSE(backend.BrowseForPath("Choose", "/srv").has_value());
  EXPECT_EQ(backend.BrowseStartFolders(), (std::vector<std::string>{"/home/me", "/tmp", "/srv"}));
}

TEST(ScriptedLongWork, OnlyANextEscapeOrCloseIsTakenAsAStopRequest) {
  ScriptedBackend backend;
  EXPECT_EQ(backend.KeepResponsive(), StopRequest::Nothing);
  backend.Click(kAsk).Escape();
  EXPECT_EQ(backend.KeepResponsive(), StopRequest::Nothing);  // a click stays for the window
  EXPECT_EQ(backend.PendingActions(), 2u);
  backend.ClearActions();
  backend.Escape().Close().Answer(IDYES);
  EXPECT_EQ(backend.KeepResponsive(), StopRequest::Stop);
  EXPECT_EQ(backend.KeepResponsive(), StopRequest::Close);
  EXPECT_EQ(backend.KeepResponsive(), StopRequest::Nothing);
  EXPECT_EQ(backend.PendingActions(), 1u);
  backend.ClearActions();
}

}  // namespace

// Tests of CListBox: the operations forwarded to a live window, the LB_ERR answers when there
// is none, the highlighted items of an extended selection, and the whole-text, case-sensitive
// search with its wrap-around.
#include "list_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog.h"
#include "resources.h"
#include "scripted/scripted_backend.h"

namespace {

constexpr int kTemplateId = 9301;
constexpr int kList = 40;

const DialogTemplate kTemplate{
    kTemplateId,
    WS_VISIBLE,
    0,
    0,
    0,
    150,
    100,
    "Entries",
    {"MS Shell Dlg", 8, 400, false, 1},
    {{kList, ControlClass::ListBox, "", LBS_MULTIPLESEL | WS_VSCROLL, 5, 5, 140, 90}}};
const ResourceRegistration kRegistration(kTemplate);

constexpr int kExtendedTemplateId = 9302;
const DialogTemplate kExtendedTemplate{
    kExtendedTemplateId,
    WS_VISIBLE,
    0,
    0,
    0,
    150,
    100,
    "Entries",
    {"MS Shell Dlg", 8, 400, false, 1},
    {{kList, ControlClass::ListBox, "", LBS_EXTENDEDSEL | LBS_MULTIPLESEL, 5, 5, 140, 90}}};
const ResourceRegistration kExtendedRegistration(kExtendedTemplate);

class ListDialog : public CDialog {
 public:
  explicit ListDialog(int templateId = kTemplateId) : CDialog(templateId) {}
  CListBox m_lb;

 protected:
  void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, kList, m_lb); }
};

std::vector<std::string> Items(const CListBox& lb) {
  std::vector<std::string> items;
  for (int i = 0; i < lb.GetCount(); ++i) items.push_back(lb.GetText(i));
  return items;
}

TEST(ListBoxWithoutWindow, EveryOperationReportsFailure) {
  CListBox unbound;
  EXPECT_FALSE(unbound.IsBound());
  EXPECT_EQ(unbound.GetCount(), LB_ERR);
  EXPECT_EQ(unbound.GetCurSel(), LB_ERR);
  EXPECT_EQ(unbound.GetText(0), "");
  EXPECT_EQ(unbound.InsertString(-1, "a"), LB_ERR);
  EXPECT_EQ(unbound.DeleteString(0), LB_ERR);
  EXPECT_EQ(unbound.FindStringExact(-1, "a"), LB_ERR);
  EXPECT_TRUE(unbound.GetSelItems().empty());
  unbound.ResetContent();

  // Bound, but after the run ended: the window is gone.
  ScriptedBackend backend;
  ListDialog dialog;
  dialog.DoModal();
  EXPECT_TRUE(dialog.m_lb.IsBound());
  EXPECT_EQ(dialog.m_lb.GetCount(), LB_ERR);
  EXPECT_EQ(dialog.m_lb.InsertString(-1, "late"), LB_ERR);
}

TEST(ListBoxInRun, InsertCountTextDeleteSelectionAndReset) {
  ScriptedBackend backend;
  ListDialog dialog;
  backend
      .Then([&] {
        CListBox& lb = dialog.m_lb;
        EXPECT_EQ(lb.GetCount(), 0);
        EXPECT_EQ(lb.GetCurSel(), LB_ERR);
        EXPECT_EQ(lb.InsertString(-1, "b"), 0);
        EXPECT_EQ(lb.InsertString(-1, "a"), 1);  // appended, never sorted
        EXPECT_EQ(lb.InsertString(0, "c"), 0);
        EXPECT_EQ(Items(lb), (std::vector<std::string>{"c", "b", "a"}));
        EXPECT_EQ(lb.GetText(3), "");
        EXPECT_EQ(lb.GetText(-1), "");
      })
      .Pick(kList, 1)
      .Then([&] {
        CListBox& lb = dialog.m_lb;
        EXPECT_EQ(lb.GetCurSel(), 1);
        EXPECT_EQ(lb.DeleteString(0), 2);
        EXPECT_EQ(lb.GetCurSel(), 0);  // the caret stays on "b"
        EXPECT_EQ(lb.DeleteString(2), LB_ERR);
        EXPECT_EQ(Items(lb), (std::vector<std::string>{"b", "a"}));
        lb.ResetContent();
        EXPECT_EQ(lb.GetCount(), 0);
        EXPECT_EQ(lb.GetCurSel(), LB_ERR);
      });
  dialog.DoModal();
  EXPECT_TRUE(backend.Problems().empty());
  EXPECT_EQ(backend.PendingActions(), 0u);
}

TEST(ListBoxInRun, ExtendedSelectionFollowsClicksAndKeysWithShiftAndCtrlAndMovesWithItems) {
  using Held = ScriptedBackend::Held;
  using Rows = std::vector<int>;
  ScriptedBackend backend;
  ListDialog dialog(kExtendedTemplateId);
  CListBox& lb = dialog.m_lb;
  backend
      .Then([&] {
        for (const char* item : {"a", "b", "c", "d", "e"}) lb.InsertString(-1, item);
        EXPECT_EQ(lb.GetSelItems(), Rows{});
      })
      .Pick(kList, 0)
      .Pick(kList, 3, Held::Shift)
      .Then([&] {
        EXPECT_EQ(lb.GetSelItems(), (Rows{0, 1, 2, 3}));
      })
      .Pick(kList, 1, Held::Ctrl)  // takes 1 away, and starts the next range there
      .Then([&] {
        EXPECT_EQ(lb.GetSelItems(), (Rows{0, 2, 3}));
      })
      .PressListKey(kList, ListKey::Down, Held::Shift)
      .Then([&] {
        EXPECT_EQ(lb.GetSelItems(), (Rows{1, 2}));
        EXPECT_EQ(lb.GetCurSel(), 2);
      })
      .PressListKey(kList, ListKey::End, Held::Ctrl)
      .Then([&] {
        EXPECT_EQ(lb.GetSelItems(), (Rows{1, 2}));
        EXPECT_EQ(lb.GetCurSel(), 4);
      })
      .PressListKey(kList, ListKey::Up)
      .Then([&] {
        EXPECT_EQ(lb.GetSelItems(), Rows{3});
        lb.DeleteString(0);
        EXPECT_EQ(lb.GetSelItems(), Rows{2});  // still "d"
        lb.InsertString(0, "z");
        EXPECT_EQ(lb.GetSelItems(), Rows{3});
        lb.DeleteString(3);
        EXPECT_EQ(lb.GetSelItems(), Rows{});
      });
  dialog.DoModal();
  EXPECT_TRUE(backend.Problems().empty());

  // Without extended selection the moving keys leave the highlight where it was.
  ListDialog plain;
  backend
      .Then([&] {
        for (const char* item : {"a", "b", "c"}) plain.m_lb.InsertString(-1, item);
      })
      .Pick(kList, 1)
      .PressListKey(kList, ListKey::Down)
      .Then([&] {
        EXPECT_EQ(plain.m_lb.GetSelItems(), Rows{1});
        EXPECT_EQ(plain.m_lb.GetCurSel(), 2);
      });
  plain.DoModal();
  EXPECT_TRUE(backend.Problems().empty());
}

TEST(ListBoxInRun, FindStringExactComparesWholeTextsAfterStartWithWrapAround) {
  ScriptedBackend backend;
  ListDialog dialog;
  backend.Then([&] {
    CListBox& lb = dialog.m_lb;
    EXPECT_EQ(lb.FindStringExact(-1, "x"), LB_ERR);  // empty list
    for (const char* item : {"x", "/a/xy", "X", "x", "/a/x", ""}) lb.InsertString(-1, item);
    // From item 1 onward, then wrapping to item 0 last.
    EXPECT_EQ(lb.FindStringExact(0, "x"), 3);
    EXPECT_EQ(lb.FindStringExact(3, "x"), 0);
    EXPECT_EQ(lb.FindStringExact(-1, "x"), 0);
    EXPECT_EQ(lb.FindStringExact(2, "x"), 3);
    // A start beyond the list searches from the top.
    EXPECT_EQ(lb.FindStringExact(99, "X"), 2);
    // Case counts, and a prefix is not a match in either direction.
    EXPECT_EQ(lb.FindStringExact(0, "/A/X"), LB_ERR);
    EXPECT_EQ(lb.FindStringExact(0, "/a/x"), 4);
    EXPECT_EQ(lb.FindStringExact(0, "/a/"), LB_ERR);
    EXPECT_EQ(lb.FindStringExact(0, "/a/xyz"), LB_ERR);
    // The empty text matches only an empty item.
    EXPECT_EQ(lb.FindStringExact(0, ""), 5);
    // The only match is the start item itself: found last, after wrapping all the way.
    EXPECT_EQ(lb.FindStringExact(1, "/a/xy"), 1);
  });
  dialog.DoModal();
}

}  // namespace

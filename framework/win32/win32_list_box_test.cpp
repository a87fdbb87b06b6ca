// Tests of the Win32 backend's no-data list box and of a resizable dialog, built for real
// (under Wine in the test run): a long list reaches the platform's list box in one batch
// before anything is painted, the caret row keeps its focus rectangle, the widest path sets
// the horizontal scroll range, letters typed into the list go to its find box, and anchored
// controls follow the window's size.
#include "win32_list_box.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/windows_api.h"
#include "win32_backend.h"
#include "win32_dialog_window.h"

namespace {

constexpr int kList = 1003, kFind = 1004, kButton = 1005;

const DialogTemplate& ResizableTemplate() {
  static const DialogTemplate dialog{
      901,
      0x80CC00C8,  // popup, caption, system menu, modal frame, sizing border, set font
      0,
      0,
      0,
      186,
      154,
      "Resizable",
      {"MS Shell Dlg", 8, 0, false, 1},
      {
          {kList, ControlClass::ListBox, "", 0x50B1010B, 7, 7, 172, 93, 0, kGrowWidth | kGrowHeight,
           kFind},
          {kFind, ControlClass::Edit, "", 0x50810080, 29, 133, 99, 14, 0,
           kFollowBottom | kGrowWidth},
          {kButton, ControlClass::Button, "Find Next", 0x50010001, 131, 133, 41, 14, 0,
           kFollowRight | kFollowBottom},
      }};
  return dialog;
}

class NullTarget : public MessageTarget {
 public:
  LRESULT SendMessage(UINT, WPARAM, LPARAM) override { return 0; }
};

class Win32ListBoxTest : public ::testing::Test {
 protected:
  Win32ListBoxTest() : window(backend, ResizableTemplate(), target) {}
  HWND Item(int id) const { return ::GetDlgItem(window.Handle(), id); }
  RECT PlaceOf(int id) const {
    RECT rect;
    ::GetWindowRect(Item(id), &rect);
    ::MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  // Handles what is waiting for the window, as its modal loop would before painting.
  void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  }

  Win32Backend backend;
  NullTarget target;
  Win32DialogWindow window;
};

TEST_F(Win32ListBoxTest, AppendedItemsReachTheListBoxInOneBatchBeforeThePaint) {
  for (int i = 0; i < 50000; ++i) {
    window.ListInsert(kList, -1, "C:\\data\\file" + std::to_string(i) + ".txt");
  }
  // The platform's list box has not heard of them yet; the backend answers for them.
  EXPECT_EQ(::SendMessageA(Item(kList), LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(window.ListCount(kList), 50000);
  EXPECT_EQ(window.ListText(kList, 49999), "C:\\data\\file49999.txt");
  Pump();
  EXPECT_EQ(::SendMessageA(Item(kList), LB_GETCOUNT, 0, 0), 50000);
  EXPECT_EQ(window.ListCaret(kList), 0);
  // Inserting and deleting in the middle keep both in step, and the caret on its item.
  window.ListSetCaret(kList, 10);
  EXPECT_EQ(window.ListInsert(kList, 3, "C:\\new"), 3);
  EXPECT_EQ(window.ListCaret(kList), 11);
  EXPECT_EQ(window.ListDelete(kList, 0), 50000);
  EXPECT_EQ(window.ListText(kList, 2), "C:\\new");
  EXPECT_EQ(::SendMessageA(Item(kList), LB_GETCOUNT, 0, 0), 50000);
  // Whatever the backend asks the list box itself (here the caret) comes after the items
  // appended before it.
  window.ListInsert(kList, -1, "C:\\last");
  EXPECT_EQ(window.ListCaret(kList), 10);
  EXPECT_EQ(::SendMessageA(Item(kList), LB_GETCOUNT, 0, 0), 50001);
  window.ListReset(kList);
  EXPECT_EQ(window.ListCount(kList), 0);
  EXPECT_EQ(::SendMessageA(Item(kList), LB_GETCOUNT, 0, 0), 0);
}

TEST_F(Win32ListBoxTest, TheWidestPathSetsTheHorizontalScrollRange) {
  window.ListInsert(kList, -1, "C:\\short");
  window.ListInsert(kList, -1, "C:\\" + std::string(200, 'w') + ".txt");
  Pump();
  RECT list{};
  ::GetClientRect(Item(kList), &list);
  const LRESULT extent = ::SendMessageA(Item(kList), LB_GETHORIZONTALEXTENT, 0, 0);
  EXPECT_GT(extent, 4 * list.right);
  // Only a longer path widens it again.
  window.ListInsert(kList, 1, "C:\\medium path");
  EXPECT_EQ(::SendMessageA(Item(kList), LB_GETHORIZONTALEXTENT, 0, 0), extent);
}

TEST_F(Win32ListBoxTest, TheCaretRowIsDrawnWithItsFocusRectangleAndTheHighlightInItsColours) {
  window.ListInsert(kList, -1, "C:\\a");
  window.ListInsert(kList, -1, "C:\\b");
  Pump();
  // Highlighting a row moves the caret to it; the caret then moves on alone.
  ::SendMessageA(Item(kList), LB_SETSEL, TRUE, 0);
  window.ListSetCaret(kList, 1);
  RECT row{0, 0, 100, 16};
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, row.right, row.bottom);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  // Whether the top edge of a drawn row shows anything but the colour behind the text.
  const auto topEdgeMarked = [&](COLORREF background) {
    for (int x = 0; x < row.right; ++x) {
      if (::GetPixel(dc, x, 0) != background) return true;
    }
    return false;
  };
  // The keyboard is elsewhere (no ODS_FOCUS): the caret row still shows its rectangle; the
  // highlighted row shows the highlight's colour and no rectangle.
  DRAWITEMSTRUCT item{ODT_LISTBOX, kList, 1, ODA_DRAWENTIRE, 0, Item(kList), dc, row, 0};
  window.FindList(kList)->Draw(item);
  EXPECT_TRUE(topEdgeMarked(::GetSysColor(COLOR_WINDOW)));
  item.itemID = 0;
  item.itemState = ODS_SELECTED;
  window.FindList(kList)->Draw(item);
  EXPECT_EQ(::GetPixel(dc, 0, 0), ::GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_FALSE(topEdgeMarked(::GetSysColor(COLOR_HIGHLIGHT)));
  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
}

TEST_F(Win32ListBoxTest, LettersTypedIntoTheListGoToItsFindBoxSpaceStays) {
  window.ListInsert(kList, -1, "C:\\a");
  Pump();
  window.SetItemText(kFind, "bank");
  ::ShowWindow(window.Handle(), SW_SHOWNA);
  ::SetFocus(Item(kList));
  ::SendMessageA(Item(kList), WM_CHAR, 's', 0);
  EXPECT_EQ(window.GetItemText(kFind), "banks");
  EXPECT_EQ(::GetFocus(), Item(kFind));
  // Space toggles the highlight in a multiple-selection list, as before.
  ::SetFocus(Item(kList));
  ::SendMessageA(Item(kList), WM_KEYDOWN, VK_SPACE, 0);
  ::SendMessageA(Item(kList), WM_CHAR, ' ', 0);
  EXPECT_EQ(window.GetItemText(kFind), "banks");
  EXPECT_EQ(::SendMessageA(Item(kList), LB_GETSEL, 0, 0), 1);
}

TEST_F(Win32ListBoxTest, AnchoredControlsFollowTheWindowsSizeAndItGoesNoSmaller) {
  const RECT list = PlaceOf(kList), find = PlaceOf(kFind), button = PlaceOf(kButton);
  RECT frame{};
  ::GetWindowRect(window.Handle(), &frame);
  ::SetWindowPos(window.Handle(), nullptr, 0, 0, frame.right - frame.left + 200,
                 frame.bottom - frame.top + 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const RECT grown = PlaceOf(kList), movedFind = PlaceOf(kFind), movedButton = PlaceOf(kButton);
  EXPECT_EQ(grown.left, list.left);
  EXPECT_EQ(grown.right - list.right, 200);
  EXPECT_EQ(grown.bottom - list.bottom, 100);
  EXPECT_EQ(movedFind.left, find.left);
  EXPECT_EQ(movedFind.right - find.right, 200);
  EXPECT_EQ(movedFind.top - find.top, 100);
  EXPECT_EQ(movedButton.left - button.left, 200);
  EXPECT_EQ(movedButton.top - button.top, 100);
  EXPECT_EQ(movedButton.right - movedButton.left, button.right - button.left);
  MINMAXINFO limits{};
  ::SendMessageA(window.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, frame.right - frame.left);
  EXPECT_EQ(limits.ptMinTrackSize.y, frame.bottom - frame.top);
}

}  // namespace

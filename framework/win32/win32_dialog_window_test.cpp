// Tests of the Win32 backend's dialogs, built for real (under Wine in the test run): the
// template's conversion to pixels with the template's font, tab order and styles, control
// text without notifications, list boxes, the system menu, context menus, icons and the
// modal run.
#include "win32_dialog_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "framework/resources.h"
#include "framework/windows_api.h"
#include "win32_backend.h"
#include "win32_list_box.h"

namespace {

constexpr int kEdit = 1001, kButton = 1002, kList = 1003;

const Icon& TestIcon() {
  static const Icon icon{700,
                         {{32, 32, std::vector<std::uint32_t>(32 * 32, 0xFF2050A0)},
                          {16, 16, std::vector<std::uint32_t>(16 * 16, 0xFFA05020)}}};
  return icon;
}

const DialogTemplate& TestTemplate() {
  static const DialogTemplate dialog{
      900,
      0x80C800C8,  // popup, caption, system menu, modal frame, set font, fixed-sys
      0,
      0,
      0,
      191,
      87,
      "Converted",
      {"MS Shell Dlg", 8, 0, false, 1},
      {
          {kEdit, ControlClass::Edit, "", 0x50810080, 53, 33, 97, 14},
          {-1, ControlClass::Static, "Label:", 0x50020001, 15, 35, 33, 8},
          {kButton, ControlClass::Button, "Press", 0x50010000, 48, 57, 57, 18},
          {kList, ControlClass::ListBox, "", 0x50A1090B, 110, 5, 70, 40},
          {-1, ControlClass::Static, "", 0x50000003, 11, 5, 20, 20, 700},
      }};
  return dialog;
}

// Records every message the window passes on; a test may act on each.
class RecordingTarget : public MessageTarget {
 public:
  LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/) override {
    received.push_back({message, wParam});
    if (onMessage) onMessage(message, wParam);
    return 0;
  }
  std::vector<std::pair<UINT, WPARAM>> received;
  std::function<void(UINT, WPARAM)> onMessage;
};

class Win32DialogWindowTest : public ::testing::Test {
 protected:
  Win32DialogWindowTest() : window(backend, TestTemplate(), target) {}
  HWND Item(int id) const { return ::GetDlgItem(window.Handle(), id); }
  // A control's rectangle in the dialog's client coordinates.
  RECT PlaceOf(HWND control) const {
    RECT rect;
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  const ResourceRegistration iconRegistration{TestIcon()};
  Win32Backend backend;
  RecordingTarget target;
  Win32DialogWindow window;
};

TEST_F(Win32DialogWindowTest, ControlsSitWhereTheTemplatesFontPutsThem) {
  ASSERT_NE(window.Handle(), nullptr);
  // The dialog's font is the template's, and its base units come from that font alone: the
  // average width of the 52 letters and the line height.
  HFONT font = reinterpret_cast<HFONT>(::SendMessageA(window.Handle(), WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  // The template's "MS Shell Dlg" is the system's message font, at its size.
  LOGFONTW logFont{};
  ::GetObjectW(font, sizeof logFont, &logFont);
  NONCLIENTMETRICSW system{};
  system.cbSize = sizeof system;
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof system, &system, 0));
  EXPECT_EQ(std::wstring(logFont.lfFaceName), std::wstring(system.lfMessageFont.lfFaceName));
  EXPECT_EQ(std::abs(logFont.lfHeight), std::abs(system.lfMessageFont.lfHeight));
  HDC dc = ::GetDC(window.Handle());
  HGDIOBJ previous = ::SelectObject(dc, font);
  SIZE letters{};
  ::GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
  TEXTMETRICA metrics{};
  ::GetTextMetricsA(dc, &metrics);
  ::SelectObject(dc, previous);
  ::ReleaseDC(window.Handle(), dc);
  const int unitX = (letters.cx / 26 + 1) / 2;
  const int unitY = metrics.tmHeight;
  ASSERT_GT(unitX, 0);

  const ControlTemplate& edit = TestTemplate().controls[0];
  const RECT place = PlaceOf(Item(kEdit));
  EXPECT_EQ(place.left, ::MulDiv(edit.x, unitX, 4));
  EXPECT_EQ(place.top, ::MulDiv(edit.y, unitY, 8));
  EXPECT_EQ(place.right - place.left, ::MulDiv(edit.cx, unitX, 4));
  EXPECT_EQ(place.bottom - place.top, ::MulDiv(edit.cy, unitY, 8));
  RECT client{};
  ::GetClientRect(window.Handle(), &client);
  EXPECT_EQ(client.right, ::MulDiv(TestTemplate().cx, unitX, 4));
  EXPECT_EQ(client.bottom, ::MulDiv(TestTemplate().cy, unitY, 8));
}

TEST_F(Win32DialogWindowTest, TemplateOrderTitleAndStyles) {
  char title[64] = "";
  ::GetWindowTextA(window.Handle(), title, sizeof title);
  EXPECT_STREQ(title, "Converted");
  EXPECT_FALSE(::IsWindowVisible(window.Handle()));  // shown only by the modal run
  // Children in template order, each with its template style.
  HWND child = ::GetWindow(window.Handle(), GW_CHILD);
  for (const ControlTemplate& control : TestTemplate().controls) {
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(::GetDlgCtrlID(child), control.id);
    // The dialog manager turns a border into a sunken edge, and a list box shows its scroll
    // bar only when needed; every other bit is the template's, a list box's made a no-data
    // one.
    const DWORD changing = WS_BORDER | WS_VSCROLL;
    const DWORD wanted =
        control.cls == ControlClass::ListBox ? NoDataListBoxStyle(control.style) : control.style;
    const DWORD style = static_cast<DWORD>(::GetWindowLongA(child, GWL_STYLE));
    EXPECT_EQ(style & wanted & ~changing, wanted & ~changing) << control.id;
    child = ::GetWindow(child, GW_HWNDNEXT);
  }
  // Tab stops in template order: the edit box, the button, the list box.
  HWND first = ::GetNextDlgTabItem(window.Handle(), nullptr, FALSE);
  EXPECT_EQ(first, Item(kEdit));
  HWND second = ::GetNextDlgTabItem(window.Handle(), first, FALSE);
  EXPECT_EQ(second, Item(kButton));
  EXPECT_EQ(::GetNextDlgTabItem(window.Handle(), second, FALSE), Item(kList));
  // The icon static shows the registered icon.
  HWND iconStatic = ::GetWindow(Item(kList), GW_HWNDNEXT);
  EXPECT_NE(::SendMessageA(iconStatic, STM_GETICON, 0, 0), 0);
}

TEST_F(Win32DialogWindowTest, OnlyTheUsersEditsNotify) {
  window.SetItemText(kEdit, "C:\\data");
  EXPECT_EQ(window.GetItemText(kEdit), "C:\\data");
  EXPECT_TRUE(target.received.empty());
  ::SendMessageA(Item(kEdit), WM_CHAR, 'x', 0);  // as a key typed into the box
  EXPECT_EQ(window.GetItemText(kEdit), "xC:\\data");
  const std::pair<UINT, WPARAM> change{WM_COMMAND, MakeCommandWParam(EN_CHANGE, kEdit)};
  EXPECT_NE(std::find(target.received.begin(), target.received.end(), change),
            target.received.end());
}

TEST_F(Win32DialogWindowTest, ListBoxKeepsInsertionOrder) {
  EXPECT_EQ(window.ListCaret(kList), LB_ERR);  // empty
  // The template asks for a sorted list box; insertion at the end keeps the given order.
  for (const char* text : {"Z:\\z", "Z:\\a", "Z:\\m"}) window.ListInsert(kList, -1, text);
  ASSERT_EQ(window.ListCount(kList), 3);
  EXPECT_EQ(window.ListText(kList, 0), "Z:\\z");
  EXPECT_EQ(window.ListText(kList, 2), "Z:\\m");
  EXPECT_EQ(window.ListText(kList, 7), "");
  window.ListSetCaret(kList, 2);
  EXPECT_EQ(window.ListCaret(kList), 2);
  EXPECT_EQ(window.ListDelete(kList, 1), 2);
  EXPECT_EQ(window.ListText(kList, 1), "Z:\\m");
  EXPECT_EQ(window.ListDelete(kList, 5), LB_ERR);
  window.ListReset(kList);
  EXPECT_EQ(window.ListCount(kList), 0);
}

// Extended selection: a click highlights one item, Shift and a click a range from it, Ctrl and
// a click one more; the window tells which, in list order, and they follow deletions.
TEST_F(Win32DialogWindowTest, ListBoxHighlightsRangesWithShiftAndItemsWithCtrl) {
  for (const char* text : {"a", "b", "c", "d", "e"}) window.ListInsert(kList, -1, text);
  EXPECT_EQ(window.ListSelection(kList), std::vector<int>{});
  const auto click = [&](int index, WPARAM keys) {
    RECT item{};
    ::SendMessageA(Item(kList), LB_GETITEMRECT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM(item.left + 2, (item.top + item.bottom) / 2);
    ::SendMessageA(Item(kList), WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    ::SendMessageA(Item(kList), WM_LBUTTONUP, keys, at);
  };
  click(1, 0);
  click(3, MK_SHIFT);
  EXPECT_EQ(window.ListSelection(kList), (std::vector<int>{1, 2, 3}));
  click(0, MK_CONTROL);
  EXPECT_EQ(window.ListSelection(kList), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(window.ListCaret(kList), 0);
  window.ListDelete(kList, 2);
  EXPECT_EQ(window.ListSelection(kList), (std::vector<int>{0, 1, 2}));
  click(3, 0);
  EXPECT_EQ(window.ListSelection(kList), std::vector<int>{3});
}

// The question with a check box: a task dialog, answered here as a user would, through the
// messages that click its check box and its buttons.
TEST_F(Win32DialogWindowTest, AQuestionWithACheckBoxTellsTheAnswerAndTheTick) {
  static bool tick;
  static int button;
  const auto answer = [](HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = ::FindWindowA(nullptr, "Check box test");
    if (box == nullptr) return;
    ::KillTimer(nullptr, timer);
    if (tick) ::SendMessageA(box, TDM_CLICK_VERIFICATION, TRUE, FALSE);
    ::SendMessageA(box, TDM_CLICK_BUTTON, static_cast<WPARAM>(button), 0);
  };
  for (const auto& [ticked, pressed] : {std::pair{true, IDNO}, std::pair{false, IDYES}}) {
    tick = ticked;
    button = pressed;
    ::SetTimer(nullptr, 0, 50, answer);
    bool checked = !ticked;
    EXPECT_EQ(backend.MessageBoxWithCheck("File already exists. Overwrite it?", "C:\\a.txt",
                                          "Check box test", MB_YESNO, "For all", checked),
              pressed);
    EXPECT_EQ(checked, ticked);
  }
}

// The program's text is UTF-8: a list box shows the characters themselves.
TEST_F(Win32DialogWindowTest, ListBoxShowsUtf8TextAsItsCharacters) {
  ASSERT_EQ(window.ListInsert(kList, -1, "C:\\日本\\Привет été.txt"), 0);
  EXPECT_EQ(window.FindList(kList)->ShownText(0), L"C:\\日本\\Привет été.txt");
  EXPECT_EQ(window.ListText(kList, 0), "C:\\日本\\Привет été.txt");
  window.SetItemText(kEdit, "café");
  EXPECT_EQ(window.GetItemText(kEdit), "café");
}

// A right-click on a list's item puts the caret there and asks the dialog for its menu; the
// item chosen in the menu comes back as a menu command. From the keyboard the caret stays.
TEST_F(Win32DialogWindowTest, ContextMenuOfAListItemAndTheCommandChosen) {
  for (const char* text : {"Z:\\a", "Z:\\b", "Z:\\c"}) window.ListInsert(kList, -1, text);
  // The items reach the platform's list box before a paint would ask for them.
  window.FindList(kList)->Sync();
  RECT item{};
  ASSERT_NE(::SendMessageA(Item(kList), LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item)),
            LB_ERR);
  POINT at{item.left + 2, (item.top + item.bottom) / 2};
  ::ClientToScreen(Item(kList), &at);
  constexpr UINT kCommand = 1040;
  target.onMessage = [&](UINT message, WPARAM wParam) {
    if (message != WM_CONTEXTMENU) return;
    // The menu's own loop reads the keys: the first item, taken. Should they never come, the
    // menu closes by itself rather than hang the test.
    ::PostMessageA(window.Handle(), WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageA(window.Handle(), WM_KEYDOWN, VK_RETURN, 0);
    ::SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); });
    window.ShowContextMenu(static_cast<int>(wParam),
                           {MenuItem{MF_STRING, kCommand, "&Versions..."}});
  };
  ::SendMessageA(Item(kList), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Item(kList)),
                 MAKELPARAM(at.x, at.y));
  EXPECT_EQ(window.ListCaret(kList), 2);
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  const std::vector<std::pair<UINT, WPARAM>> expected{{WM_CONTEXTMENU, kList},
                                                      {WM_COMMAND, MakeCommandWParam(0, kCommand)}};
  EXPECT_EQ(target.received, expected);

  target.onMessage = nullptr;
  target.received.clear();
  ::SendMessageA(Item(kList), LB_SETCARETINDEX, 0, FALSE);
  ::SendMessageA(Item(kList), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Item(kList)), -1);
  EXPECT_EQ(window.ListCaret(kList), 0);
  EXPECT_EQ(target.received, (std::vector<std::pair<UINT, WPARAM>>{{WM_CONTEXTMENU, kList}}));
}

TEST_F(Win32DialogWindowTest, SystemMenuItemAndIcons) {
  ASSERT_TRUE(window.HasSystemMenu());
  HMENU menu = ::GetSystemMenu(window.Handle(), FALSE);
  const int before = ::GetMenuItemCount(menu);
  window.AppendSystemMenu(MF_SEPARATOR, 0, "");
  window.AppendSystemMenu(MF_STRING, 0x10, "&About Test...");
  ASSERT_EQ(::GetMenuItemCount(menu), before + 2);
  char text[64] = "";
  ::GetMenuStringA(menu, 0x10, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "&About Test...");

  window.SetIcon(TestIcon(), true);
  window.SetIcon(TestIcon(), false);
  HICON big = reinterpret_cast<HICON>(::SendMessageA(window.Handle(), WM_GETICON, ICON_BIG, 0));
  HICON small = reinterpret_cast<HICON>(::SendMessageA(window.Handle(), WM_GETICON, ICON_SMALL, 0));
  ASSERT_NE(big, nullptr);
  ASSERT_NE(small, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(::GetIconInfo(big, &info));
  BITMAP bitmap{};
  ::GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
  EXPECT_EQ(bitmap.bmWidth, 32);  // the picture closest to the platform's icon size
  ::DeleteObject(info.hbmColor);
  ::DeleteObject(info.hbmMask);
}

TEST_F(Win32DialogWindowTest, ModalRunPassesClicksOnAndEndsWithTheirResult) {
  // Once shown, the "user" presses the button; its handler ends the run.
  target.onMessage = [&](UINT message, WPARAM wParam) {
    if (message == WM_SHOWWINDOW && wParam) ::PostMessageA(Item(kButton), BM_CLICK, 0, 0);
    if (message == WM_COMMAND && wParam == MakeCommandWParam(BN_CLICKED, kButton)) {
      EXPECT_TRUE(::IsWindowVisible(window.Handle()));
      window.EndModal(42);
    }
  };
  EXPECT_EQ(window.RunModal(), 42);
  EXPECT_FALSE(::IsWindowVisible(window.Handle()));
  // Close (the close box, Alt+F4) goes to the dialog as WM_CLOSE, not to the platform.
  target.received.clear();
  target.onMessage = [&](UINT message, WPARAM wParam) {
    if (message == WM_SHOWWINDOW && wParam)
      ::PostMessageA(window.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    if (message == WM_SYSCOMMAND) window.EndModal(7);
  };
  EXPECT_EQ(window.RunModal(), 7);
  EXPECT_TRUE(::IsWindow(window.Handle()));
}

// A dialog that loads on every show notification (the restoration list) must load once per
// opening: the end of a run hides the window without telling the dialog a second time.
TEST_F(Win32DialogWindowTest, EachModalRunSendsOneShowNotification) {
  target.onMessage = [&](UINT message, WPARAM wParam) {
    if (message == WM_SHOWWINDOW && wParam) ::PostMessageA(Item(kButton), BM_CLICK, 0, 0);
    if (message == WM_COMMAND && wParam == MakeCommandWParam(BN_CLICKED, kButton)) {
      window.EndModal(1);
    }
  };
  auto showNotifications = [&] {
    return std::count_if(target.received.begin(), target.received.end(),
                         [](const auto& entry) { return entry.first == WM_SHOWWINDOW; });
  };
  for (int opening = 1; opening <= 2; ++opening) {
    EXPECT_EQ(window.RunModal(), 1);
    EXPECT_FALSE(::IsWindowVisible(window.Handle()));
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    EXPECT_EQ(showNotifications(), opening);
  }
}

TEST_F(Win32DialogWindowTest, KeepingResponsiveDropsWhatTheUserDid) {
  // The window shown with the Files box focused and the pointer on it, as during a walk
  // started from it (no modal loop: a key that never came must fail the test, not hang it).
  ::ShowWindow(window.Handle(), SW_SHOWNORMAL);
  ::SetForegroundWindow(window.Handle());
  ::SetFocus(Item(kEdit));
  RECT box;
  ::GetWindowRect(Item(kEdit), &box);
  ::SetCursorPos((box.left + box.right) / 2, (box.top + box.bottom) / 2);
  // A key typed meanwhile...
  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = 'Q';
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ASSERT_EQ(::SendInput(2, keys, sizeof keys[0]), 2u);
  for (int wait = 0; wait < 200 && !(HIWORD(::GetQueueStatus(QS_KEY)) & QS_KEY); ++wait) {
    ::Sleep(10);
  }
  ASSERT_TRUE(HIWORD(::GetQueueStatus(QS_KEY)) & QS_KEY) << "the key never arrived";
  // ... is gone once the work has let the windows repaint: nothing is left for the modal loop
  // to hand to the box afterwards.
  backend.KeepResponsive();
  EXPECT_EQ(HIWORD(::GetQueueStatus(QS_KEY)) & QS_KEY, 0u);
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  EXPECT_EQ(window.GetItemText(kEdit), "");
}

}  // namespace

// Tests that framework/windows_api.h settles the clash between <windows.h> and the
// framework's names: a unit that saw the platform's macros must see the same member names as
// one that never included <windows.h> (windows_api_plain_test.cpp), and every constant must
// keep the platform's value.
#include <windows.h>

// The constants as <windows.h> defines them, read before the framework's header removes the
// macros. X-list: each name is expanded where the list is used.
#define QUILLMAR_SHARED_CONSTANTS(X)                                                               \
  X(WM_CLOSE)                                                                                      \
  X(WM_PAINT)                                                                                      \
  X(WM_SHOWWINDOW) X(WM_ICONERASEBKGND) X(WM_QUERYDRAGICON) X(WM_CONTEXTMENU) X(WM_COMMAND) X(WM_SYSCOMMAND)         \
      X(BN_CLICKED) X(LBN_SELCHANGE) X(EN_CHANGE) X(SC_CLOSE) X(IDOK) X(IDCANCEL) X(IDYES) X(IDNO) \
          X(MB_OK) X(MB_OKCANCEL) X(MB_YESNO) X(MB_ICONINFORMATION) X(MB_TYPEMASK) X(MF_STRING)    \
              X(MF_SEPARATOR) X(LB_ERR) X(SM_CXICON) X(SM_CYICON) X(WS_VISIBLE) X(WS_SYSMENU)      \
                  X(WS_TABSTOP) X(WS_BORDER) X(WS_VSCROLL) X(WS_HSCROLL) X(ES_MULTILINE) X(ES_READONLY) X(WS_EX_APPWINDOW) X(BS_DEFPUSHBUTTON)  \
                      X(SS_CENTER) X(SS_ICON) X(SS_NOPREFIX) X(SS_PATHELLIPSIS) X(LBS_MULTIPLESEL) X(LBS_EXTENDEDSEL)
#define QUILLMAR_VALUE(name) static_cast<long long>(name),
#define QUILLMAR_NAME(name) #name,
namespace {
constexpr long long kPlatformValues[] = {QUILLMAR_SHARED_CONSTANTS(QUILLMAR_VALUE)};
}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/message_box.h"
#include "framework/window_backend.h"
#include "framework/windows_api.h"

// From the unit without <windows.h>.
std::vector<std::string> MemberNamesWithoutWindowsHeader();

namespace {

constexpr long long kFrameworkValues[] = {QUILLMAR_SHARED_CONSTANTS(QUILLMAR_VALUE)};
constexpr const char* kNames[] = {QUILLMAR_SHARED_CONSTANTS(QUILLMAR_NAME)};

#define QUILLMAR_SPELLING(name) QUILLMAR_STRING(name)
#define QUILLMAR_STRING(name) #name

// The names the framework's classes use, as this unit spells them after macro expansion.
std::vector<std::string> MemberNamesHere() {
  return {QUILLMAR_SPELLING(MessageBox), QUILLMAR_SPELLING(SendMessage),
          QUILLMAR_SPELLING(GetSystemMetrics), QUILLMAR_SPELLING(DrawIcon),
          QUILLMAR_SPELLING(GetClientRect)};
}

// Overrides that compile only if the members keep their own names here.
class NamesBackend : public WindowBackend {
 public:
  std::unique_ptr<DialogWindow> CreateDialogWindow(const DialogTemplate&, MessageTarget&) override {
    return nullptr;
  }
  int MessageBox(const std::string&, const std::string&, UINT style) override {
    return style == MB_YESNO ? IDYES : IDOK;
  }
  int MessageBoxWithCheck(const std::string& text, const std::string&, const std::string& caption,
                          UINT style, const std::string&, bool& checked) override {
    checked = true;
    return MessageBox(text, caption, style);
  }
  std::optional<std::string> BrowseForPath(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  int GetSystemMetrics(int index) const override { return index == SM_CXICON ? 32 : 0; }
  StopRequest KeepResponsive() override { return StopRequest::Nothing; }
};

TEST(WindowsApiTest, BothUnitsSeeTheSameMemberNames) {
  EXPECT_EQ(MemberNamesHere(), MemberNamesWithoutWindowsHeader());
  EXPECT_EQ(MemberNamesHere().front(), "MessageBox");
}

TEST(WindowsApiTest, FrameworkConstantsHaveThePlatformsValues) {
  static_assert(std::size(kPlatformValues) == std::size(kNames));
  for (std::size_t i = 0; i < std::size(kNames); ++i) {
    EXPECT_EQ(kFrameworkValues[i], kPlatformValues[i]) << kNames[i];
  }
}

TEST(WindowsApiTest, ACallThroughTheFrameworkReachesTheOverride) {
  // AfxMessageBox is compiled without <windows.h>: the slot it calls must be the one the
  // override above fills.
  NamesBackend backend;
  InstallWindowBackend(&backend);
  EXPECT_EQ(AfxMessageBox("?", MB_YESNO), IDYES);
  EXPECT_EQ(CurrentWindowBackend().GetSystemMetrics(SM_CXICON), 32);
  InstallWindowBackend(nullptr);
}

}  // namespace

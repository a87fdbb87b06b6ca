// The other side of windows_api_test.cpp: a unit that includes the framework's headers and
// never <windows.h>, reporting the member names it sees.
#include <string>
#include <vector>

#include "framework/dialog.h"

#define QUILLMAR_SPELLING(name) QUILLMAR_STRING(name)
#define QUILLMAR_STRING(name) #name

std::vector<std::string> MemberNamesWithoutWindowsHeader() {
#if defined(_WINDOWS_) || defined(_WINUSER_)
#error "this unit must not see <windows.h>"
#endif
  return {QUILLMAR_SPELLING(MessageBox), QUILLMAR_SPELLING(SendMessage),
          QUILLMAR_SPELLING(GetSystemMetrics), QUILLMAR_SPELLING(DrawIcon),
          QUILLMAR_SPELLING(GetClientRect)};
}

// The application message box, routed to the installed backend.
#include "message_box.h"

#include "window_backend.h"

int AfxMessageBox(const std::string& text, UINT style) {
  return CurrentWindowBackend().MessageBox(text, kApplicationTitle, style);
}

int AfxMessageBoxWithCheck(const std::string& text, const std::string& detail, UINT style,
                           const std::string& checkText, bool& checked) {
  return CurrentWindowBackend().MessageBoxWithCheck(text, detail, kApplicationTitle, style,
                                                    checkText, checked);
}

// The application message box: shows a text with the program's title as caption on whichever
// window backend is installed, and returns the button pressed (IDOK, IDCANCEL, IDYES, IDNO).
#pragma once

#include <string>

#include "window_constants.h"

inline constexpr const char* kApplicationTitle = "Quillmar";

// style: MB_OK, MB_OKCANCEL or MB_YESNO, optionally with MB_ICONINFORMATION.
int AfxMessageBox(const std::string& text, UINT style = MB_OK);
// The application message box with detail below its text and a check box labelled
// checkText; checked tells whether the user ticked it.
int AfxMessageBoxWithCheck(const std::string& text, const std::string& detail, UINT style,
                           const std::string& checkText, bool& checked);

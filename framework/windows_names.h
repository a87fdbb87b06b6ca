// Removes the macros of <windows.h> that share a name with the framework's constants and
// methods (IDOK, MB_*, WM_*, MessageBox -> MessageBoxA, ...). The framework's headers include
// it first on Windows, so a unit that included <windows.h> before them still sees the
// framework's names; framework/windows_api.h includes it after <windows.h>. The values are the
// platform's (checked by framework/win32/windows_api_test.cpp). Deliberately without an
// include guard: each inclusion removes whatever <windows.h> has defined by then. A unit that
// includes <windows.h> after the framework's headers without this file fails to compile at
// the first MessageBox call instead of silently disagreeing with the others.

#undef MessageBox
#undef SendMessage

#undef WM_CLOSE
#undef WM_PAINT
#undef WM_SHOWWINDOW
#undef WM_ICONERASEBKGND
#undef WM_QUERYDRAGICON
#undef WM_CONTEXTMENU
#undef WM_COMMAND
#undef WM_SYSCOMMAND
#undef BN_CLICKED
#undef LBN_SELCHANGE
#undef EN_CHANGE
#undef SC_CLOSE
#undef IDOK
#undef IDCANCEL
#undef IDYES
#undef IDNO
#undef MB_OK
#undef MB_OKCANCEL
#undef MB_YESNO
#undef MB_ICONINFORMATION
#undef MB_TYPEMASK
#undef MF_STRING
#undef MF_SEPARATOR
#undef LB_ERR
#undef SM_CXICON
#undef SM_CYICON
#undef WS_VISIBLE
#undef WS_SYSMENU
#undef WS_TABSTOP
#undef WS_BORDER
#undef WS_VSCROLL
#undef WS_HSCROLL
#undef ES_MULTILINE
#undef ES_READONLY
#undef WS_EX_APPWINDOW
#undef BS_DEFPUSHBUTTON
#undef SS_CENTER
#undef SS_ICON
#undef SS_NOPREFIX
#undef SS_PATHELLIPSIS
#undef LBS_MULTIPLESEL
#undef LBS_EXTENDEDSEL

// The one way the Windows build includes <windows.h>. Many of the framework's names are also
// macros there: the constants of window_constants.h (IDOK, MB_*, WM_*, ...) and the methods
// MessageBox and SendMessage, which would turn into MessageBoxA and SendMessageA in some
// translation units and not in others. This header removes those macros once, so that every
// unit sees the framework's own names; the values are the same (checked by
// framework/win32/windows_api_test.cpp). Win32 code calls the narrow functions by their "A"
// names.
#pragma once

#include <windows.h>
// After windows.h, which they build on.
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#undef MessageBox
#undef SendMessage

#undef WM_CLOSE
#undef WM_PAINT
#undef WM_SHOWWINDOW
#undef WM_ICONERASEBKGND
#undef WM_QUERYDRAGICON
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
#undef WS_EX_APPWINDOW
#undef BS_DEFPUSHBUTTON
#undef SS_CENTER
#undef SS_ICON
#undef SS_NOPREFIX
#undef LBS_MULTIPLESEL
#undef FILE_ATTRIBUTE_DIRECTORY

#include "framework/platform_files.h"
#include "framework/window_constants.h"

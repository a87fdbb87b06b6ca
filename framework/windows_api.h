// The one way the Windows window layer includes <windows.h> with the shell, shlwapi and
// common-controls headers. Many of the framework's names are also macros there (IDOK, MB_*,
// WM_*, and the methods MessageBox and SendMessage, which would turn into MessageBoxA and
// SendMessageA in some translation units and not in others); framework/windows_names.h
// removes them. Win32 code calls the narrow functions by their "A" names.
#pragma once

#include "platform/windows_system.h"
// After windows.h, which they build on.
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "framework/window_constants.h"
#include "framework/windows_names.h"

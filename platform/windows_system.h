// The one way the platform services include <windows.h>: the system's file, folder, console
// and path calls, without the window layer's headers (common controls, shell, dialogs), which
// only framework/windows_api.h brings in. Win32 code calls the narrow functions by their "A"
// names.
#pragma once

#include <windows.h>
// After windows.h, which it builds on.
#include <shlwapi.h>

#include "platform/platform_files.h"

static_assert(kFolderAttribute == FILE_ATTRIBUTE_DIRECTORY,
              "FindData passes the platform's attribute bits through unchanged");

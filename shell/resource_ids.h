// The ids of the program's resources, of the main dialog's controls and of the system-menu
// command it adds.
#pragma once

#include "framework/window_constants.h"

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDD_QUILLMAR_DIALOG = 102;
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDD_UNPROTECTED = 131;

// Controls of the main dialog.
inline constexpr int IDC_DIRECTORY = 1000;
inline constexpr int IDC_FILES = 1001;
inline constexpr int IDC_CLEAN = 1002;
inline constexpr int IDC_BROWSE = 1003;
inline constexpr int IDC_HELPTEXT = 1004;
inline constexpr int IDC_RESTOREFILES = 1005;
// The lines below the buttons that show a clean in full: counts and rate, the folder in hand.
inline constexpr int IDC_WALK_COUNTS = 1006;
inline constexpr int IDC_WALK_FOLDER = 1007;

// The list of the report of unprotected files.
inline constexpr int IDC_UNPROTECTED_LIST = 1010;

// The About entry of the main dialog's system menu. The low four bits of a system command
// belong to the window manager, so every command from 0x10 to 0x1F means this entry.
inline constexpr UINT IDM_ABOUTBOX = 0x0010;

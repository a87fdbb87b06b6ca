// The numeric values of window messages, notifications, button results and styles that the
// program's message tables and message boxes rely on.
#pragma once

#if defined(_WIN32)
#include "framework/windows_names.h"
#endif

#include <cstdint>

using UINT = unsigned int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using BOOL = int;

inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_SHOWWINDOW = 0x0018;
inline constexpr UINT WM_ICONERASEBKGND = 0x0027;
inline constexpr UINT WM_QUERYDRAGICON = 0x0037;
inline constexpr UINT WM_CONTEXTMENU = 0x007B;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;

inline constexpr UINT BN_CLICKED = 0;
inline constexpr UINT LBN_SELCHANGE = 1;
inline constexpr UINT EN_CHANGE = 0x0300;

inline constexpr UINT SC_CLOSE = 0xF060;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

inline constexpr UINT MB_OK = 0x0000;
inline constexpr UINT MB_OKCANCEL = 0x0001;
inline constexpr UINT MB_YESNO = 0x0004;
inline constexpr UINT MB_ICONINFORMATION = 0x0040;
inline constexpr UINT MB_TYPEMASK = 0x000F;

inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_SEPARATOR = 0x0800;

inline constexpr int LB_ERR = -1;

inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;

// Window and control styles that change how a template is shown.
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000;
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000;
inline constexpr std::uint32_t WS_TABSTOP = 0x00010000;
inline constexpr std::uint32_t WS_BORDER = 0x00800000;
inline constexpr std::uint32_t WS_VSCROLL = 0x00200000;
inline constexpr std::uint32_t WS_HSCROLL = 0x00100000;
inline constexpr std::uint32_t ES_MULTILINE = 0x00000004;
inline constexpr std::uint32_t ES_READONLY = 0x00000800;
inline constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000;
inline constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x00000001;
inline constexpr std::uint32_t SS_CENTER = 0x00000001;
inline constexpr std::uint32_t SS_ICON = 0x00000003;
inline constexpr std::uint32_t SS_NOPREFIX = 0x00000080;
inline constexpr std::uint32_t SS_PATHELLIPSIS = 0x00008000;
inline constexpr std::uint32_t LBS_MULTIPLESEL = 0x00000008;
inline constexpr std::uint32_t LBS_EXTENDEDSEL = 0x00000800;

constexpr WPARAM MakeCommandWParam(UINT code, int id) {
  return (static_cast<WPARAM>(code & 0xFFFF) << 16) | (static_cast<WPARAM>(id) & 0xFFFF);
}
constexpr UINT CommandCode(WPARAM wParam) { return static_cast<UINT>((wParam >> 16) & 0xFFFF); }
constexpr int CommandId(WPARAM wParam) {
  return static_cast<int>(static_cast<std::int16_t>(wParam & 0xFFFF));
}

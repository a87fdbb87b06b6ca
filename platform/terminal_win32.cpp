// IsTerminal over the C runtime's _isatty, which is true for a console; the parent's console
// for a windowed program run from one; text for a console as UTF-16 characters.
#include "platform/terminal.h"

#include <io.h>

#include <string>

#include "platform/windows_system.h"

bool IsTerminal(std::FILE* stream) { return ::_isatty(::_fileno(stream)) != 0; }

void WriteText(std::FILE* stream, std::string_view text) {
  const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
  DWORD mode = 0;
  if (text.empty() || handle == INVALID_HANDLE_VALUE || !::GetConsoleMode(handle, &mode)) {
    std::fwrite(text.data(), 1, text.size(), stream);
    return;
  }
  const int count = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                          nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(count), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), count);
  // What the stream holds already must come first.
  std::fflush(stream);
  DWORD written = 0;
  ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

namespace {

// A windowed program starts with no standard handles unless its starter redirected them.
bool Redirected(DWORD which) {
  const HANDLE handle = ::GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

bool UseParentConsole() {
  const bool in = Redirected(STD_INPUT_HANDLE);
  const bool out = Redirected(STD_OUTPUT_HANDLE);
  const bool err = Redirected(STD_ERROR_HANDLE);
  if (in && out && err) return true;
  if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return out && err;
  if (!in) static_cast<void>(std::freopen("CONIN$", "r", stdin));
  if (!out) static_cast<void>(std::freopen("CONOUT$", "w", stdout));
  if (!err) static_cast<void>(std::freopen("CONOUT$", "w", stderr));
  return true;
}

// IsTerminal over the C runtime's _isatty, which is true for a console; the parent's console
// for a windowed program run from one.
#include "platform/terminal.h"

#include <io.h>

#include "platform/windows_system.h"

bool IsTerminal(std::FILE* stream) { return ::_isatty(::_fileno(stream)) != 0; }

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

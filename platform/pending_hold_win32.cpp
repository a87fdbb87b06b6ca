// The hold on a copy waiting for its move, over Win32's sharing modes.
#include "platform/pending_hold_win32.h"

#include "platform/long_paths_win32.h"

HANDLE HoldPendingFile(const std::string& path) {
  return CreateFileLong(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        OPEN_EXISTING, 0);
}

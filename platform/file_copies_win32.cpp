// One copy under several names over Win32 (hard links by CreateHardLinkA), and copies from
// a source held open without delete sharing, so that nobody can put another file in its
// place while its note and contents are read.
#include <cstdint>
#include <cstring>

#include "platform/file_copies.h"
#include "platform/hidden_names.h"
#include "platform/long_paths_win32.h"
#include "platform/path_parts.h"
#include "platform/pending_hold_win32.h"
#include "platform/read_only_files_win32.h"
#include "platform/windows_system.h"

namespace {

std::error_code LastError() {
  const DWORD code = ::GetLastError();
  if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) {
    return std::make_error_code(std::errc::file_exists);
  }
  return std::error_code(static_cast<int>(code), std::system_category());
}

bool IsNoHardLinks(DWORD code) {
  return code == ERROR_INVALID_FUNCTION || code == ERROR_NOT_SUPPORTED ||
         code == ERROR_NOT_SAME_DEVICE || code == ERROR_TOO_MANY_LINKS ||
         code == ERROR_ACCESS_DENIED;
}

// Gives the file named existing the further name destination, replacing what had it, by a
// hard link under a hidden name in workFolder that is then moved over the destination.
std::error_code LinkReplacing(const std::string& existing, const std::string& destination,
                              const std::string& workFolder, bool& noLinks) {
  const std::string_view name = FindFileName(destination);
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::string temp;
    if (!HiddenNameIn(workFolder, name, temp)) {
      return std::make_error_code(std::errc::filename_too_long);
    }
    if (!CreateHardLinkLong(temp, existing)) {
      const DWORD code = ::GetLastError();
      if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) continue;
      noLinks = IsNoHardLinks(code);
      return LastError();
    }
    if (MoveReplacingReadOnly(temp, destination,
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      // Where the destination was already a name of the same file, the move may do nothing
      // (Wine's, as POSIX rename does) and leave the hidden name: it goes here.
      DeleteEvenReadOnly(temp);
      return {};
    }
    const std::error_code error = LastError();
    DeleteEvenReadOnly(temp);
    return error;
  }
  return std::make_error_code(std::errc::file_exists);
}

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Opens a regular file so that others may read it, but not write it, delete it or move another
// file over it.
std::error_code OpenHeld(const char* path, HANDLE& handle) {
  const DWORD attributes = GetFileAttributesLong(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return std::make_error_code(std::errc::is_a_directory);
  handle =
      CreateFileLong(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  // Devices (CON, NUL, COM1) and pipes are no files to copy.
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    ::CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
    return std::make_error_code(std::errc::operation_not_supported);
  }
  return {};
}

// What tells one version of an open file's contents from another: a write moves the change
// time even when it keeps the size and sets the last-write time back.
struct ContentsStamp {
  LARGE_INTEGER size{};
  LARGE_INTEGER lastWrite{};
  LARGE_INTEGER change{};
};

std::error_code StampOf(HANDLE file, ContentsStamp& stamp) {
  FILE_BASIC_INFO basic;
  if (!::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) ||
      !::GetFileSizeEx(file, &stamp.size)) {
    return LastError();
  }
  stamp.lastWrite = basic.LastWriteTime;
  stamp.change = basic.ChangeTime;
  return {};
}

std::error_code ChangedSince(HANDLE file, const ContentsStamp& before) {
  ContentsStamp now;
  if (std::error_code error = StampOf(file, now)) return error;
  const bool same = now.size.QuadPart == before.size.QuadPart &&
                    now.lastWrite.QuadPart == before.lastWrite.QuadPart &&
                    now.change.QuadPart == before.change.QuadPart;
  return same ? std::error_code() : ChangedWhileCopied();
}

// How a finished copy takes its name: over whatever has it, only where nothing has it, or,
// where something has it, once beforeReplacing has run.
struct Naming {
  bool replace = true;
  const BeforeReplacing* beforeReplacing = nullptr;
};

std::error_code MoveIntoPlace(const std::string& temp, const std::string& destination,
                              const Naming& naming) {
  const bool ask = naming.beforeReplacing != nullptr && *naming.beforeReplacing;
  if (!naming.replace || ask) {
    if (MoveFileExLong(temp, destination, MOVEFILE_WRITE_THROUGH)) return {};
    const std::error_code error = LastError();
    if (!ask || error != std::errc::file_exists) return error;
    if (std::error_code refused = (*naming.beforeReplacing)()) return refused;
  }
  // Copies keep read-only, so the copy an earlier clean took may have it.
  if (MoveReplacingReadOnly(temp, destination,
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return {};
  }
  return LastError();
}

// Copies source to destination by way of a hidden name in workFolder, never beside the
// destination: the hidden name is held open until it has been moved into place, so that the
// store's tidying takes it for a living writer's, not for a dead one's leftover. When watched
// is an open handle of the source, a copy during which the source changed is dropped before
// it takes the name.
std::error_code CopyIntoPlace(const char* source, const std::string& destination,
                              const std::string& workFolder, const FileNote* note,
                              HANDLE watched = INVALID_HANDLE_VALUE, const Naming& naming = {}) {
  const std::string_view name = FindFileName(destination);
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::string temp;
    if (!HiddenNameIn(workFolder, name, temp)) {
      return std::make_error_code(std::errc::filename_too_long);
    }
    ContentsStamp before;
    if (watched != INVALID_HANDLE_VALUE) {
      if (std::error_code error = StampOf(watched, before)) return error;
    }
    if (std::error_code error = CopyFileReplacing(source, temp.c_str(), true, note)) {
      if (error == std::errc::file_exists) continue;
      return error;
    }
    if (watched != INVALID_HANDLE_VALUE) {
      if (std::error_code error = ChangedSince(watched, before)) {
        DeleteEvenReadOnly(temp);
        return error;
      }
    }
    HANDLE held = HoldPendingFile(temp);
    const std::error_code error = MoveIntoPlace(temp, destination, naming);
    if (error) DeleteEvenReadOnly(temp);
    if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
    return error;
  }
  return std::make_error_code(std::errc::file_exists);
}

}  // namespace

std::error_code AddNameReplacing(const std::string& existing, const std::string& destination,
                                 const std::string& workFolder, const FileNote* note,
                                 bool /*likelyTaken*/) {
  bool noLinks = false;
  const std::error_code error = LinkReplacing(existing, destination, workFolder, noLinks);
  if (!noLinks) return error;
  return CopyIntoPlace(existing.c_str(), destination, workFolder, note);
}

std::error_code AddNameIfFree(const std::string& existing, const std::string& destination,
                              const std::string& workFolder, const FileNote* note) {
  if (CreateHardLinkLong(destination, existing)) return {};
  const DWORD code = ::GetLastError();
  const std::error_code error = LastError();
  if (!IsNoHardLinks(code)) return error;
  return CopyIntoPlace(existing.c_str(), destination, workFolder, note, INVALID_HANDLE_VALUE,
                       Naming{/*replace=*/false, nullptr});
}

NamedCopyResult CopyFileToName(const char* source, const std::string& workFolder,
                               const std::string& destination, const FileNote* note,
                               bool /*likelyTaken*/, const BeforeReplacing& beforeReplacing) {
  NamedCopyResult result;
  HANDLE held = INVALID_HANDLE_VALUE;
  if ((result.source = OpenHeld(source, held))) return result;
  const std::error_code error =
      CopyIntoPlace(source, destination, workFolder, note, held, Naming{true, &beforeReplacing});
  ::CloseHandle(held);
  (error == ChangedWhileCopied() ? result.source : result.name) = error;
  return result;
}

SourceFile::~SourceFile() {
  if (m_handle != kClosed) ::CloseHandle(AsHandle(m_handle));
}

std::error_code SourceFile::Open(const char* path) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  if (std::error_code error = OpenHeld(path, handle)) return error;
  if (m_handle != kClosed) ::CloseHandle(AsHandle(m_handle));
  m_handle = reinterpret_cast<std::intptr_t>(handle);
  m_path = path;
  return {};
}

std::optional<std::string> SourceFile::Note(const char* name) const {
  if (m_handle == kClosed) return std::nullopt;
  return ReadFileNote(m_path.c_str(), name);
}

std::error_code SourceFile::CopyTo(const char* destination, bool failIfExists) const {
  if (m_handle == kClosed) return std::make_error_code(std::errc::bad_file_descriptor);
  return CopyFileReplacing(m_path.c_str(), destination, failIfExists, nullptr);
}

// Platform file services over Win32: the folder search, GetModuleFileNameA, folder creation,
// the all-or-nothing copy (a hidden temporary name, then a move over the destination), notes
// in alternate data streams and FormatMessageA for error texts. Paths go through
// long_paths_win32.h, so that any length works.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/hidden_names.h"
#include "platform/injected_failures.h"
#include "platform/long_paths_win32.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"
#include "platform/read_only_files_win32.h"
#include "platform/windows_system.h"

namespace {

// The callers test one code by name (a destination that exists); the rest stay the
// platform's numbers, whose texts FormatMessageA gives.
std::error_code ErrorFrom(DWORD code) {
  if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) {
    return std::make_error_code(std::errc::file_exists);
  }
  return std::error_code(static_cast<int>(code), std::system_category());
}
std::error_code LastError() { return ErrorFrom(::GetLastError()); }
std::error_code Error(std::errc code) { return std::make_error_code(code); }

std::string& ProgramPathOverride() {
  static std::string path;
  return path;
}

// Closes a handle on every way out.
class HandleGuard {
 public:
  explicit HandleGuard(HANDLE handle) : m_handle(handle) {}
  ~HandleGuard() {
    if (m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle);
  }
  HandleGuard(const HandleGuard&) = delete;
  HandleGuard& operator=(const HandleGuard&) = delete;
  HANDLE get() const { return m_handle; }

 private:
  HANDLE m_handle;
};

// Opens a folder (or a file) for its attributes only. Junctions and links to folders are
// followed, so a folder reached through one has its target's identity.
HANDLE OpenForIdentity(const char* path) {
  return CreateFileLong(path, FILE_READ_ATTRIBUTES,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                        FILE_FLAG_BACKUP_SEMANTICS);
}

std::error_code IdentityOf(HANDLE handle, std::uint64_t& volume, std::uint64_t& index) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(handle, &info)) return LastError();
  volume = info.dwVolumeSerialNumber;
  index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return {};
}

// The folder part of path, without its separator ("." for a bare name).
std::string FolderOf(std::string_view path) {
  const std::size_t slash = path.rfind(kPathSeparator);
  if (slash == std::string_view::npos) return ".";
  // "\*.*" searches the root of the current drive, which "\" names and "" does not.
  if (slash == 0) return std::string(1, kPathSeparator);
  // "C:\" keeps its separator: "C:" alone means the drive's current folder.
  if (slash == 2 && path[1] == ':') return std::string(path.substr(0, 3));
  return std::string(path.substr(0, slash));
}

// A file on its way to its destination, under a hidden name beside it (".NAME.XXXXXX", the
// shape the store tidies away on both platforms). It is held open, sharing everything but
// taking part in the sharing checks, for as long as it is written: RemoveAbandonedTemporaries
// removes only a file that nobody has open, so it can tell this one from the leftover of a
// dead process.
class PendingFile {
 public:
  PendingFile() = default;
  ~PendingFile() {
    if (m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle);
    if (!m_name.empty()) DeleteEvenReadOnly(m_name);
  }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  std::error_code Create(std::string_view destination) {
    const std::size_t slash = destination.rfind(kPathSeparator);
    const std::string_view folder =
        slash == std::string_view::npos ? std::string_view() : destination.substr(0, slash + 1);
    const std::string_view name =
        slash == std::string_view::npos ? destination : destination.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string temp;
      if (!HiddenNameIn(folder, name, temp)) return Error(std::errc::filename_too_long);
      // DELETE: the handle names the file into place (ReplaceByHandle).
      m_handle = CreateFileLong(temp.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL);
      if (m_handle != INVALID_HANDLE_VALUE) {
        m_name = std::move(temp);
        return {};
      }
      if (::GetLastError() != ERROR_FILE_EXISTS) return LastError();
    }
    return ErrorFrom(ERROR_FILE_EXISTS);
  }
  HANDLE handle() const { return m_handle; }
  const std::string& name() const { return m_name; }

  std::error_code Write(const char* data, std::size_t size) {
    if (std::error_code injected = InjectedFailure(FileCall::kWrite, m_name)) return injected;
    for (std::size_t done = 0; done < size;) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
      DWORD written = 0;
      if (!::WriteFile(m_handle, data + done, chunk, &written, nullptr)) return LastError();
      done += written;
    }
    return {};
  }

  // Gives the finished file the destination's name, on disk before the call returns, while
  // the file is still held open: nobody can take it away between the last write and the move.
  std::error_code Publish(const char* destination, bool failIfExists) {
    if (failIfExists) {
      if (!MoveFileExLong(m_name.c_str(), destination, MOVEFILE_WRITE_THROUGH)) return LastError();
      m_name.clear();
      return {};
    }
    {
      // A read-only file cannot be replaced; the user has agreed to replace it. The file
      // replaced keeps the attribute under its other names: the version a restore keeps of it.
      const ReadOnlyLifted lifted(destination);
      if (ReplaceByHandle(destination)) {
        m_name.clear();
        return {};
      }
    }
    if (!MoveReplacingReadOnly(m_name, destination,
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return LastError();
    }
    m_name.clear();
    return {};
  }

 private:
  // Gives the file destination's name through its own handle with POSIX semantics (Windows
  // 10 1709 and later, on NTFS), which replace a file that is open elsewhere: list.txt, while
  // a clean appends to it, is replaced so when a restore rewrites it. A plain move refuses
  // that file ("Access denied"); its holder keeps the replaced file, nameless, and finds the
  // new one by its name. False where the system or the volume has no such rename.
  bool ReplaceByHandle(const char* destination) {
    std::wstring target = WidePath(destination);
    if (!target.starts_with(L"\\\\?\\")) {
      // The rename takes the name literally, as the extended-length form is.
      target = target.starts_with(L"\\\\") ? L"\\\\?\\UNC" + target.substr(1)
                                             : L"\\\\?\\" + target;
    }
    if (!::FlushFileBuffers(m_handle)) return false;
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->Flags = FILE_RENAME_FLAG_REPLACE_IF_EXISTS | FILE_RENAME_FLAG_POSIX_SEMANTICS;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::copy(target.begin(), target.end(), rename->FileName);
    rename->FileName[target.size()] = L'\0';
    // FileRenameInfoEx, which the headers give only to builds for Windows 10 1709 and later:
    // on an older system the call fails and the plain move is tried.
    constexpr auto kRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
    return ::SetFileInformationByHandle(m_handle, kRenameInfoEx, rename,
                                        static_cast<DWORD>(buffer.size())) != FALSE;
  }

  HANDLE m_handle = INVALID_HANDLE_VALUE;
  std::string m_name;  // until the file has the destination's name
};

// The alternate data stream that holds a file's note of that name.
std::string NoteStream(const std::string& path, const char* name) { return path + ":copy:" + name; }

// True when the volume of path keeps alternate data streams (NTFS, ReFS). Elsewhere a name
// with a colon is refused (FAT) or, under Wine on a Linux folder, becomes a file of its own
// beside the copy.
bool HoldsNotes(const std::string& path) {
  char root[MAX_PATH];
  DWORD flags = 0;
  return ::GetVolumePathNameA(path.c_str(), root, sizeof root) &&
         ::GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
         (flags & FILE_NAMED_STREAMS);
}

// A name, in the program's code page, that does not fit the record (a name of more than
// kMaxFileName - 1 bytes) cannot be handed on whole.
bool Copy(const FoundEntry& found, FindData& data) {
  if (found.name.size() >= sizeof data.cFileName) return false;
  data.dwFileAttributes = found.attributes;
  std::memcpy(data.cFileName, found.name.c_str(), found.name.size() + 1);
  return true;
}

}  // namespace

DirectorySearch::~DirectorySearch() { Close(); }

std::error_code DirectorySearch::Start(const char* searchPath, FindData& data) {
  Close();
  FoundEntry found;
  HANDLE handle = FindFirstLong(searchPath, found);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = ::GetLastError();
    return code == ERROR_FILE_NOT_FOUND ? Error(std::errc::no_such_file_or_directory)
                                        : ErrorFrom(code);
  }
  m_handle = handle;
  m_pattern = searchPath;
  HandleGuard folder(OpenForIdentity(FolderOf(searchPath).c_str()));
  std::error_code error = folder.get() == INVALID_HANDLE_VALUE
                              ? LastError()
                              : IdentityOf(folder.get(), m_device, m_inode);
  if (error) {
    Close();
    return error;
  }
  if (!Copy(found, data)) {
    Close();
    return ErrorFrom(ERROR_FILENAME_EXCED_RANGE);
  }
  return {};
}

bool DirectorySearch::Next(FindData& data, std::error_code& ended) {
  ended.clear();
  if (m_handle == nullptr) {
    ended = Error(std::errc::bad_file_descriptor);
    return false;
  }
  return Fill(data, ended);
}

bool DirectorySearch::Fill(FindData& data, std::error_code& ended) {
  FoundEntry found;
  if (!FindNextLong(static_cast<HANDLE>(m_handle), found)) {
    const DWORD code = ::GetLastError();
    if (code != ERROR_NO_MORE_FILES) ended = ErrorFrom(code);
    return false;
  }
  if (!Copy(found, data)) {
    ended = ErrorFrom(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  return true;
}

bool DirectorySearch::OnPseudoFileSystem() const { return false; }

void DirectorySearch::Close() {
  if (m_handle != nullptr) ::FindClose(static_cast<HANDLE>(m_handle));
  m_handle = nullptr;
  m_device = 0;
  m_inode = 0;
}

std::error_code IdentifyFolder(const char* path, std::uint64_t& device, std::uint64_t& inode) {
  const DWORD attributes = GetFileAttributesLong(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return Error(std::errc::not_a_directory);
  HandleGuard folder(OpenForIdentity(path));
  if (folder.get() == INVALID_HANDLE_VALUE) return LastError();
  return IdentityOf(folder.get(), device, inode);
}

std::string GetProgramPath() {
  const std::string& testPath = ProgramPathOverride();
  if (!testPath.empty()) return testPath;
  char buffer[kMaxPath];
  const DWORD n = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  // A full buffer means the path was cut.
  if (n == 0 || n >= sizeof buffer) return std::string();
  return std::string(buffer, n);
}

void SetProgramPathForTesting(const std::string& executablePath) {
  ProgramPathOverride() = executablePath;
}

std::error_code CreateFolder(const char* path) {
  if (CreateDirectoryLong(path)) return {};
  return LastError();
}

std::error_code CreatePrivateFolder(const char* path) { return CreateFolder(path); }

void RunInForkedChildren(void (* /*action*/)()) {}

std::error_code RestrictToOwner(const char* /*path*/) { return {}; }

std::error_code CopyFileReplacing(const char* source, const char* destination, bool failIfExists,
                                  const FileNote* note) {
  // The times with the attributes, by name: opening the file may move its access time
  // already (Wine does).
  WIN32_FILE_ATTRIBUTE_DATA looked{};
  if (!GetFileAttributesExLong(source, looked)) {
    // Devices (NUL, CON) have attributes alone; the look at the open file's type refuses them.
    looked.dwFileAttributes = GetFileAttributesLong(source);
    if (looked.dwFileAttributes == INVALID_FILE_ATTRIBUTES) return LastError();
  }
  const DWORD attributes = looked.dwFileAttributes;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Error(std::errc::is_a_directory);
  HandleGuard in(CreateFileLong(source, GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
  if (in.get() == INVALID_HANDLE_VALUE) return LastError();
  // Devices (CON, NUL, COM1) and pipes are no files to copy.
  if (::GetFileType(in.get()) != FILE_TYPE_DISK) return Error(std::errc::operation_not_supported);
  if (failIfExists && GetFileAttributesLong(destination) != INVALID_FILE_ATTRIBUTES) {
    return Error(std::errc::file_exists);
  }
  PendingFile out;
  if (std::error_code error = out.Create(destination)) return error;
  static thread_local char buffer[256 * 1024];
  for (;;) {
    DWORD got = 0;
    if (std::error_code injected = InjectedFailure(FileCall::kRead, source)) return injected;
    if (!::ReadFile(in.get(), buffer, sizeof buffer, &got, nullptr)) return LastError();
    if (got == 0) break;
    if (std::error_code error = out.Write(buffer, got)) return error;
  }
  // The three times go with the copy, as the POSIX copy keeps its two.
  if (!::SetFileTime(out.handle(), &looked.ftCreationTime, &looked.ftLastAccessTime,
                     &looked.ftLastWriteTime)) {
    return LastError();
  }
  // A note is extra knowledge, not part of the copy: a file system without alternate data
  // streams (FAT, or Wine's view of a Linux folder) still gets the copy.
  if (note != nullptr) AttachFileNote(out.name().c_str(), *note);
  // The attributes go with it too, last: a read-only file takes no note. Whatever replaces
  // or removes a read-only copy later takes the attribute off first (read_only_files_win32.h).
  // A new file has the archive attribute already.
  const DWORD kept =
      attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  if (kept != FILE_ATTRIBUTE_ARCHIVE) {
    SetFileAttributesLong(out.name().c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
  }
  return out.Publish(destination, failIfExists);
}

std::error_code IdentifyFile(const char* path, FileIdentity& identity) {
  HandleGuard file(OpenForIdentity(path));
  if (file.get() == INVALID_HANDLE_VALUE) return LastError();
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(file.get(), &info)) return LastError();
  identity = {info.dwVolumeSerialNumber,
              (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
              (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
              info.nNumberOfLinks};
  return {};
}

std::error_code RemoveFile(const char* path) {
  // The store's copies keep read-only, and its versions are removed all the same.
  return DeleteEvenReadOnly(path) ? std::error_code() : LastError();
}

std::optional<std::string> ContentsStamp(const char* path) {
  HandleGuard file(OpenForIdentity(path));
  if (file.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  FILE_BASIC_INFO times;
  if (!::GetFileInformationByHandle(file.get(), &info) ||
      !::GetFileInformationByHandleEx(file.get(), FileBasicInfo, &times, sizeof times)) {
    return std::nullopt;
  }
  char stamp[160];
  std::snprintf(stamp, sizeof stamp, "%lx:%lx%08lx:%lx%08lx:%llx:%llx",
                static_cast<unsigned long>(info.dwVolumeSerialNumber),
                static_cast<unsigned long>(info.nFileIndexHigh),
                static_cast<unsigned long>(info.nFileIndexLow),
                static_cast<unsigned long>(info.nFileSizeHigh),
                static_cast<unsigned long>(info.nFileSizeLow),
                static_cast<unsigned long long>(times.LastWriteTime.QuadPart),
                static_cast<unsigned long long>(times.ChangeTime.QuadPart));
  return stamp;
}

std::optional<std::string> ReadFileNote(const char* path, const char* name) {
  if (InjectedFailure(FileCall::kNote, path)) return std::nullopt;
  if (!HoldsNotes(path)) return std::nullopt;
  HandleGuard stream(CreateFileLong(NoteStream(path, name).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
  if (stream.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  char value[kMaxPath];
  DWORD got = 0;
  if (!::ReadFile(stream.get(), value, sizeof value, &got, nullptr)) return std::nullopt;
  return std::string(value, got);
}

std::error_code AttachFileNote(const char* path, const FileNote& note) {
  if (std::error_code injected = InjectedFailure(FileCall::kNote, path)) return injected;
  if (!HoldsNotes(path)) return Error(std::errc::operation_not_supported);
  HandleGuard stream(CreateFileLong(NoteStream(path, note.name).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
  if (stream.get() == INVALID_HANDLE_VALUE) return LastError();
  DWORD written = 0;
  if (!::WriteFile(stream.get(), note.value.data(), static_cast<DWORD>(note.value.size()), &written,
                   nullptr)) {
    return LastError();
  }
  return {};
}

std::error_code WriteFileReplacing(const char* path, std::string_view contents) {
  // Refuse what could not be written in place either: a read-only file, a folder. The
  // attribute is looked at, not left to the open, which an administrator's rights (and Wine
  // run as root) let through.
  const DWORD attributes = GetFileAttributesLong(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    return ErrorFrom(ERROR_ACCESS_DENIED);
  }
  {
    HandleGuard existing(CreateFileLong(path, GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL));
    if (existing.get() == INVALID_HANDLE_VALUE) return LastError();
  }
  PendingFile out;
  if (std::error_code error = out.Create(path)) return error;
  if (std::error_code error = out.Write(contents.data(), contents.size())) return error;
  // On disk before the move, so the name never points at a half-written file.
  if (std::error_code injected = InjectedFailure(FileCall::kFlush, path)) return injected;
  if (!::FlushFileBuffers(out.handle())) return LastError();
  return out.Publish(path, /*failIfExists=*/false);
}

void RemoveAbandonedTemporaries(const char* folder, bool (*isTemporary)(std::string_view name),
                                std::chrono::seconds /*linkAge: no link is kept here*/) {
  std::string prefix(folder);
  if (!prefix.empty() && prefix.back() != kPathSeparator) prefix += kPathSeparator;
  FoundEntry found;
  HANDLE search = FindFirstLong(prefix + "*", found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if ((found.attributes & FILE_ATTRIBUTE_DIRECTORY) || !isTemporary(found.name)) continue;
    // Sharing nothing, the open fails while its writer (or anyone) has the file open; once
    // open, the file removed on closing is the one looked at, whatever takes its name later.
    HANDLE file = CreateFileLong(prefix + found.name, DELETE, 0, OPEN_EXISTING,
                                 FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  } while (FindNextLong(search, found));
  ::FindClose(search);
}

std::string ErrorText(std::error_code code) {
  if (code.category() != std::system_category()) return code.message();
  char* text = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code.value()), 0, reinterpret_cast<char*>(&text), 0, nullptr);
  if (length == 0) return code.message();
  std::string result(text, length);
  ::LocalFree(text);
  // The system's texts end with a line break, which would double every line they end.
  while (!result.empty() &&
         (result.back() == '\r' || result.back() == '\n' || result.back() == ' ')) {
    result.pop_back();
  }
  return result;
}

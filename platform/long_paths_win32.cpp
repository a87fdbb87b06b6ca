// Paths of any length for the Win32 file functions: widening, the extended-length form, and
// the wide calls behind the narrow paths.
#include "platform/long_paths_win32.h"

#include <vector>

#include "platform/injected_failures.h"

namespace {

// A failure a test arranged for the call, handed on as the system hands on its own: as the
// thread's last error.
bool Injected(FileCall call, const std::string& path) {
  const std::error_code injected = InjectedFailure(call, path);
  if (!injected) return false;
  ::SetLastError(static_cast<DWORD>(injected.value()));
  return true;
}

constexpr std::size_t kPlainLimit = MAX_PATH - 12;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring Widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size =
      ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

// root followed by the parts of rest, one separator between each, "." dropped and ".."
// taking back the part before it.
std::wstring Joined(std::wstring root, const std::wstring& rest) {
  std::vector<std::wstring> parts;
  std::wstring part;
  auto take = [&] {
    if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (wchar_t c : rest) {
    if (IsSeparator(c)) {
      take();
    } else {
      part += c;
    }
  }
  take();
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i != 0) root += L'\\';
    root += parts[i];
  }
  return root;
}

void Fill(const WIN32_FIND_DATAW& found, FoundEntry& entry) {
  entry.attributes = found.dwFileAttributes;
  entry.name = NarrowText(found.cFileName);
}

}  // namespace

std::wstring WidePath(const std::string& path) {
  std::wstring wide = Widen(path);
  if (wide.size() < kPlainLimit || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  if (wide.size() >= 3 && wide[1] == L':' && IsSeparator(wide[2])) {
    return Joined(L"\\\\?\\" + wide.substr(0, 3), wide.substr(3));
  }
  if (wide.size() >= 2 && IsSeparator(wide[0]) && IsSeparator(wide[1])) {
    return Joined(L"\\\\?\\UNC\\", wide.substr(2));
  }
  return wide;
}

std::string NarrowText(const wchar_t* text) {
  const int size = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::string narrow(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
  narrow.resize(static_cast<std::size_t>(size - 1));
  return narrow;
}

HANDLE CreateFileLong(const std::string& path, DWORD access, DWORD sharing, DWORD creation,
                      DWORD flags) {
  if (Injected(FileCall::kOpen, path)) return INVALID_HANDLE_VALUE;
  return ::CreateFileW(WidePath(path).c_str(), access, sharing, nullptr, creation, flags, nullptr);
}

DWORD GetFileAttributesLong(const std::string& path) {
  return ::GetFileAttributesW(WidePath(path).c_str());
}

BOOL GetFileAttributesExLong(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
  return ::GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data);
}

BOOL SetFileAttributesLong(const std::string& path, DWORD attributes) {
  return ::SetFileAttributesW(WidePath(path).c_str(), attributes);
}

BOOL CreateDirectoryLong(const std::string& path) {
  return ::CreateDirectoryW(WidePath(path).c_str(), nullptr);
}

BOOL DeleteFileLong(const std::string& path) { return ::DeleteFileW(WidePath(path).c_str()); }

BOOL MoveFileExLong(const std::string& from, const std::string& to, DWORD flags) {
  if (Injected(FileCall::kRename, to)) return FALSE;
  return ::MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), flags);
}

BOOL CreateHardLinkLong(const std::string& link, const std::string& existing) {
  if (Injected(FileCall::kLink, link)) return FALSE;
  return ::CreateHardLinkW(WidePath(link).c_str(), WidePath(existing).c_str(), nullptr);
}

HANDLE FindFirstLong(const std::string& pattern, FoundEntry& entry) {
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW(WidePath(pattern).c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) Fill(found, entry);
  return search;
}

BOOL FindNextLong(HANDLE search, FoundEntry& entry) {
  WIN32_FIND_DATAW found;
  if (!::FindNextFileW(search, &found)) return FALSE;
  Fill(found, entry);
  return TRUE;
}

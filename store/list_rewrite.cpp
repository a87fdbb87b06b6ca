// Rewrites list.txt under the store's lock.
#include "store/list_rewrite.h"

#include <cerrno>

#include "framework/file.h"
#include "framework/folder_handle.h"
#include "framework/path_parts.h"
#include "framework/platform_files.h"

std::error_code ReadWholeList(const std::string& path, std::string& contents) {
  CFile file;
  errno = 0;
  if (!file.Open(path, CFile::modeRead)) {
    return std::error_code(errno != 0 ? errno : EIO, std::generic_category());
  }
  // Reading on past the length seen at the start keeps whatever is appended meanwhile.
  contents.assign(static_cast<std::size_t>(file.GetLength()), '\0');
  contents.resize(file.Read(contents.data(), contents.size()));
  char chunk[64 * 1024];
  while (std::size_t got = file.Read(chunk, sizeof chunk)) contents.append(chunk, got);
  return {};
}

std::error_code RewriteList(const std::string& listPath,
                            const std::function<std::optional<std::string>(std::string)>& compose) {
  const std::string_view name = FindFileName(listPath);
  const std::string folder = listPath.substr(0, listPath.size() - name.size());
  FolderHandle store;
  if (std::error_code error = store.Open(folder.empty() ? "." : folder.c_str())) return error;
  FolderLockScope lock(store);
  if (lock.error()) return lock.error();
  std::string current;
  if (std::error_code error = ReadWholeList(listPath, current)) return error;
  const std::optional<std::string> rewritten = compose(std::move(current));
  if (!rewritten) return {};
  if (std::error_code error = WriteFileReplacing(listPath.c_str(), *rewritten)) return error;
  // The new list's name, not only its contents, must survive a power cut.
  return store.FlushFileSystem();
}

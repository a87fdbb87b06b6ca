// Reads list.txt whole, and rewrites it under the store's lock.
#include "store/list_rewrite.h"

#include <utility>

#include "platform/file.h"
#include "platform/folder_handle.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"

std::error_code ReadListContents(CFile& list, std::string& contents) {
  contents.assign(static_cast<std::size_t>(list.GetLength()), '\0');
  contents.resize(list.Read(contents.data(), contents.size()));
  if (std::error_code error = list.LastError()) return error;
  char chunk[64 * 1024];
  for (;;) {
    // Read stops short only at the end or on a failure, which LastError() tells apart.
    const std::size_t got = list.Read(chunk, sizeof chunk);
    contents.append(chunk, got);
    if (got < sizeof chunk) return list.LastError();
  }
}

std::error_code RewriteList(const std::string& listPath,
                            const std::function<std::optional<std::string>(std::string)>& compose) {
  const std::string_view name = FindFileName(listPath);
  const std::string folder = listPath.substr(0, listPath.size() - name.size());
  FolderHandle store;
  if (std::error_code error = store.Open(folder.empty() ? "." : folder.c_str())) return error;
  FolderLockScope lock(store);
  if (lock.error()) return lock.error();
  CFile list;
  if (!list.Open(listPath, CFile::modeRead | CFile::shareDenyNone)) return list.LastError();
  std::string contents;
  const std::error_code unread = ReadListContents(list, contents);
  list.Close();
  // Written back, a list cut short by a failed read would lose every entry after the cut.
  if (unread) return unread;
  const std::optional<std::string> rewritten = compose(std::move(contents));
  if (!rewritten) return {};
  if (std::error_code error = WriteFileReplacing(listPath.c_str(), *rewritten)) return error;
  // The new list's name, not only its contents, must survive a power cut.
  return store.FlushFileSystem();
}

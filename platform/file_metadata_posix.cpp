// Owner, mode, extended attributes, access control list and times, from one descriptor to
// another, in the order in which each step leaves the earlier ones alone.
#include "platform/file_metadata_posix.h"

#include <linux/limits.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstring>
#include <string_view>

#include "platform/pending_file_posix.h"
#include "platform/platform_files.h"

namespace {

constexpr std::string_view kUserNamespace = "user.";
// The access control list's own attribute: setting it sets the permission bits along with it.
constexpr std::string_view kAccessList = "system.posix_acl_access";

bool IsCopied(std::string_view attribute) {
  if (attribute == kAccessList) return true;
  if (attribute.substr(0, kUserNamespace.size()) != kUserNamespace) return false;
  const std::string_view name = attribute.substr(kUserNamespace.size());
  return name.substr(0, kNoteNamePrefix.size()) != kNoteNamePrefix;
}

// Copies what IsCopied accepts; each one the destination refuses is left out.
void CopyAttributes(int in, int out) {
  static thread_local char names[XATTR_LIST_MAX];
  static thread_local char value[XATTR_SIZE_MAX];
  const ssize_t length = ::flistxattr(in, names, sizeof names);
  if (length <= 0) return;
  for (const char* name = names; name < names + length; name += std::strlen(name) + 1) {
    if (!IsCopied(name)) continue;
    const ssize_t size = ::fgetxattr(in, name, value, sizeof value);
    if (size >= 0) ::fsetxattr(out, name, value, static_cast<std::size_t>(size), 0);
  }
}

}  // namespace

std::error_code CopyFileMetadata(int in, const struct stat& st, int out) {
  // A new file already has the process's owner and group: only others need a call, which is
  // what keeps the copy of a user's own files at the cost it had.
  bool ownerKept = st.st_uid == ::geteuid();
  bool groupKept = st.st_gid == ::getegid();
  if (!ownerKept || !groupKept) {
    // Before the mode: a change of owner clears the set-id bits.
    if (::fchown(out, st.st_uid, st.st_gid) == 0) {
      ownerKept = groupKept = true;
    } else if (!groupKept && ::fchown(out, static_cast<uid_t>(-1), st.st_gid) == 0) {
      groupKept = true;
    }
  }
  CopyAttributes(in, out);
  mode_t mode = st.st_mode & 07777;
  if (!ownerKept) mode &= ~(S_ISUID | S_ISGID);
  if (!groupKept) mode &= ~S_ISGID;
  // The file was made with the permission bits; only the set-id and sticky bits are missing,
  // or were taken away by a new access control list.
  if ((mode & 07000) != 0 && ::fchmod(out, mode) != 0) return LastPosixError();
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  if (::futimens(out, times) != 0) return LastPosixError();
  return {};
}

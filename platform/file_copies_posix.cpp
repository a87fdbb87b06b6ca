// A copy that takes its name all at once, further names for it, and copies from a source held
// open, over POSIX descriptors.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>

#include "platform/contents_copy_posix.h"
#include "platform/file_copies.h"
#include "platform/file_metadata_posix.h"
#include "platform/injected_failures.h"
#include "platform/pending_file_posix.h"

namespace {

std::error_code Error(std::errc code) { return std::make_error_code(code); }

// Opens a regular file for reading, never through a link: a link is kept as a link.
// Looks before opening: opening a device or FIFO can block or act on the device.
std::error_code OpenRegular(const char* path, FdGuard& in, struct stat& st) {
  if (::lstat(path, &st) != 0) return LastPosixError();
  if (S_ISDIR(st.st_mode)) return Error(std::errc::is_a_directory);
  if (!S_ISREG(st.st_mode)) return Error(std::errc::operation_not_supported);
  if (std::error_code injected = InjectedFailure(FileCall::kOpen, path)) return injected;
  // Reading leaves the access time as it was, where the process may ask for that (its own
  // files, or root): the copy takes the access time along, and a later copy must find it
  // unchanged.
  constexpr int kFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  in.Reset(::open(path, kFlags | O_NOATIME));
  if (in.get() < 0 && errno == EPERM) in.Reset(::open(path, kFlags));
  if (in.get() < 0) return LastPosixError();
  // The name may have been swapped for something else since the look above.
  if (::fstat(in.get(), &st) != 0) return LastPosixError();
  if (!S_ISREG(st.st_mode)) return Error(std::errc::operation_not_supported);
  return {};
}

// Fills out with in's contents, what else of in a copy keeps (file_metadata_posix.h) and note.
// A descriptor that has been read or written before is read again from its start.
std::error_code WriteCopy(int in, const struct stat& st, PendingFile& out, const FileNote* note,
                          bool rewind) {
  if (rewind && ::lseek(in, 0, SEEK_SET) != 0) return LastPosixError();
  if (std::error_code error = CopyFileContents(in, out.fd(), st)) return error;
  if (std::error_code error = CopyFileMetadata(in, st, out.fd())) return error;
  if (note != nullptr && !InjectedFailure(FileCall::kNote, "")) {
    // A note is extra knowledge, not part of the copy: a file system without extended
    // attributes still gets the copy.
    const std::string attribute = std::string("user.") + note->name;
    ::fsetxattr(out.fd(), attribute.c_str(), note->value.data(), note->value.size(), 0);
  }
  return {};
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Whether the open file in is still the version described by before. A write moves the change
// time even when it keeps the size and sets the modification time back.
std::error_code ChangedSince(int in, const struct stat& before) {
  struct stat now;
  if (::fstat(in, &now) != 0) return LastPosixError();
  const bool same = now.st_size == before.st_size && SameTime(now.st_mtim, before.st_mtim) &&
                    SameTime(now.st_ctim, before.st_ctim);
  return same ? std::error_code() : ChangedWhileCopied();
}

// Permission bits only while the copy is written: the set-id bits follow once its owner is
// settled (CopyFileMetadata).
mode_t CopyMode(const struct stat& st) { return st.st_mode & 0777; }

// The copy of an open regular file to one destination, beside which it is written.
std::error_code CopyOpenFile(int in, const char* destination, bool failIfExists,
                             const FileNote* note, bool rewind) {
  struct stat st;
  if (::fstat(in, &st) != 0) return LastPosixError();
  if (failIfExists) {
    struct stat existing;
    if (::lstat(destination, &existing) == 0) return Error(std::errc::file_exists);
  }
  PendingFile out(FolderOf(destination));
  if (std::error_code error = out.Create(NameOf(destination), CopyMode(st))) return error;
  if (std::error_code error = WriteCopy(in, st, out, note, rewind)) return error;
  return out.Publish(destination, failIfExists);
}

}  // namespace

NamedCopyResult CopyFileToName(const char* source, const std::string& workFolder,
                               const std::string& destination, const FileNote* note,
                               bool likelyTaken, const BeforeReplacing& beforeReplacing) {
  NamedCopyResult result;
  FdGuard in(-1);
  struct stat st;
  if ((result.source = OpenRegular(source, in, st))) return result;
  PendingFile out(workFolder);
  if ((result.write = out.Create(NameOf(source), CopyMode(st)))) return result;
  if (std::error_code error = WriteCopy(in.get(), st, out, note, /*rewind=*/false)) {
    // A read can fail too, but a full or read-only store is what the writes meet.
    (error == std::errc::io_error ? result.source : result.write) = error;
    return result;
  }
  if ((result.source = ChangedSince(in.get(), st))) return result;
  if (beforeReplacing) {
    if (!likelyTaken) {
      result.name = out.Publish(destination.c_str(), /*failIfExists=*/true);
      if (result.name != std::errc::file_exists) return result;
    }
    if ((result.name = beforeReplacing())) return result;
    likelyTaken = true;
  }
  result.name = out.Publish(destination.c_str(), false, likelyTaken);
  return result;
}

std::error_code AddNameReplacing(const std::string& existing, const std::string& destination,
                                 const std::string& workFolder, const FileNote* note,
                                 bool likelyTaken) {
  const std::string_view hint = NameOf(destination);
  {
    std::error_code error;
    if (!likelyTaken) {
      error = InjectedFailure(FileCall::kLink, destination);
      if (!error) {
        if (::link(existing.c_str(), destination.c_str()) == 0) return {};
        error = errno == EEXIST ? Error(std::errc::file_exists) : LastPosixError();
      }
    }
    if (likelyTaken || error == std::errc::file_exists) {
      error = HardLinkReplacing(existing.c_str(), destination.c_str(), workFolder, hint);
    }
    if (!IsNoHardLinks(error)) return error;
  }
  FdGuard in(-1);
  struct stat st;
  if (std::error_code error = OpenRegular(existing.c_str(), in, st)) return error;
  PendingFile out(workFolder);
  if (std::error_code error = out.Create(hint, CopyMode(st))) return error;
  if (std::error_code error = WriteCopy(in.get(), st, out, note, /*rewind=*/false)) return error;
  return out.Publish(destination.c_str(), false, likelyTaken);
}

std::error_code AddNameIfFree(const std::string& existing, const std::string& destination,
                              const std::string& workFolder, const FileNote* note) {
  std::error_code error = InjectedFailure(FileCall::kLink, destination);
  if (!error) {
    if (::link(existing.c_str(), destination.c_str()) == 0) return {};
    error = errno == EEXIST ? Error(std::errc::file_exists) : LastPosixError();
  }
  if (!IsNoHardLinks(error)) return error;
  FdGuard in(-1);
  struct stat st;
  if (std::error_code failure = OpenRegular(existing.c_str(), in, st)) return failure;
  PendingFile out(workFolder);
  if (std::error_code failure = out.Create(NameOf(destination), CopyMode(st))) return failure;
  if (std::error_code failure = WriteCopy(in.get(), st, out, note, /*rewind=*/false)) {
    return failure;
  }
  return out.Publish(destination.c_str(), /*failIfExists=*/true);
}

SourceFile::~SourceFile() {
  if (m_handle != kClosed) ::close(static_cast<int>(m_handle));
}

std::error_code SourceFile::Open(const char* path) {
  FdGuard in(-1);
  struct stat st;
  if (std::error_code error = OpenRegular(path, in, st)) return error;
  if (m_handle != kClosed) ::close(static_cast<int>(m_handle));
  m_handle = in.Release();
  m_path = path;
  return {};
}

std::optional<std::string> SourceFile::Note(const char* name) const {
  if (m_handle == kClosed || InjectedFailure(FileCall::kNote, m_path)) return std::nullopt;
  const std::string attribute = std::string("user.") + name;
  char value[kMaxPath];
  const ssize_t n = ::fgetxattr(static_cast<int>(m_handle), attribute.c_str(), value, sizeof value);
  if (n < 0) return std::nullopt;
  return std::string(value, static_cast<std::size_t>(n));
}

std::error_code SourceFile::CopyTo(const char* destination, bool failIfExists) const {
  if (m_handle == kClosed) return Error(std::errc::bad_file_descriptor);
  return CopyOpenFile(static_cast<int>(m_handle), destination, failIfExists, nullptr,
                      /*rewind=*/true);
}

std::error_code CopyFileReplacing(const char* source, const char* destination, bool failIfExists,
                                  const FileNote* note) {
  FdGuard in(-1);
  struct stat st;
  if (std::error_code error = OpenRegular(source, in, st)) return error;
  return CopyOpenFile(in.get(), destination, failIfExists, note, /*rewind=*/false);
}

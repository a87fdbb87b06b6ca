// CFile over a POSIX descriptor: the framework's open-mode bits mapped onto open(2) flags.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file.h"
#include "platform/injected_failures.h"

namespace {

int OpenFlagsFor(unsigned flags) {
  // Never block in open or read: a FIFO put where a file belongs must not hang the program.
  // On regular files the flag has no effect.
  int result = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  if (flags & CFile::modeReadWrite) {
    result |= O_RDWR;
  } else if (flags & CFile::modeWrite) {
    result |= O_WRONLY;
  } else {
    result |= O_RDONLY;
  }
  if (flags & CFile::modeAppend) result |= O_APPEND;
  if (flags & CFile::modeCreate) {
    result |= O_CREAT;
    if (!(flags & CFile::modeNoTruncate)) result |= O_TRUNC;
  }
  return result;
}

}  // namespace

CFile::~CFile() { Close(); }

bool CFile::Failed() const {
  m_lastError = std::error_code(errno, std::generic_category());
  return false;
}

bool CFile::NotOpen() const {
  m_lastError = std::make_error_code(std::errc::bad_file_descriptor);
  return false;
}

bool CFile::Open(const std::string& path, unsigned flags) {
  Close();
  if (std::error_code injected = InjectedFailure(FileCall::kOpen, path)) {
    m_lastError = injected;
    return false;
  }
  int fd;
  do {
    fd = ::open(path.c_str(), OpenFlagsFor(flags), 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return Failed();
  // The program's files are plain files: a folder, FIFO or device put in a file's place
  // would read as empty or never end, so it counts as a file that cannot be opened.
  struct stat st;
  int refused = 0;
  if (::fstat(fd, &st) != 0) {
    refused = errno;
  } else if (!S_ISREG(st.st_mode)) {
    refused = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  }
  if (refused != 0) {
    ::close(fd);
    errno = refused;
    return Failed();
  }
  m_lastError.clear();
  m_hFile = fd;
  m_path = path;
  m_append = (flags & modeAppend) != 0;
  return true;
}

void CFile::Close() {
  m_append = false;
  if (m_hFile == hFileNull) return;
  // The descriptor is gone after close(2) even when it reports an error, so never retry.
  ::close(m_hFile);
  m_hFile = hFileNull;
}

bool CFile::GetStatus(CFileStatus& status) const {
  struct stat st;
  if (m_hFile == hFileNull) return NotOpen();
  if (::fstat(m_hFile, &st) != 0) return Failed();
  m_lastError.clear();
  status.m_size = static_cast<std::uint64_t>(st.st_size);
  status.m_named = st.st_nlink != 0;
  return true;
}

std::uint64_t CFile::GetLength() const {
  struct stat st;
  if (m_hFile == hFileNull || ::fstat(m_hFile, &st) != 0) return 0;
  return static_cast<std::uint64_t>(st.st_size);
}

std::size_t CFile::Read(void* buffer, std::size_t count) {
  if (m_hFile == hFileNull) {
    NotOpen();
    return 0;
  }
  m_lastError.clear();
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  // Keep reading until count bytes or the end, so a caller asking for the whole file gets it.
  while (done < count) {
    if (std::error_code injected = InjectedFailure(FileCall::kRead, m_path)) {
      m_lastError = injected;
      return done;
    }
    ssize_t n = ::read(m_hFile, out + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      Failed();
      return done;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

bool CFile::Write(const void* buffer, std::size_t count) {
  if (m_hFile == hFileNull) return NotOpen();
  const auto* in = static_cast<const char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    if (std::error_code injected = InjectedFailure(FileCall::kWrite, m_path)) {
      m_lastError = injected;
      return false;
    }
    ssize_t n = ::write(m_hFile, in + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Failed();
    }
    if (n == 0) {
      errno = ENOSPC;
      return Failed();
    }
    done += static_cast<std::size_t>(n);
  }
  m_lastError.clear();
  return true;
}

std::int64_t CFile::SeekToEnd() {
  if (m_hFile == hFileNull) return -1;
  return static_cast<std::int64_t>(::lseek(m_hFile, 0, SEEK_END));
}

bool CFile::SetLength(std::uint64_t length) {
  if (m_hFile == hFileNull) return NotOpen();
  if (::ftruncate(m_hFile, static_cast<off_t>(length)) != 0) return Failed();
  m_lastError.clear();
  return true;
}

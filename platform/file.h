// CFile: the framework's file object over the platform's file handle (a POSIX descriptor in
// file_posix.cpp, a Win32 HANDLE in file_win32.cpp). Closed objects hold the null handle;
// every failure is reported by the result, never by an exception.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>

// Wide enough for a descriptor and for a HANDLE, whose invalid value is also -1.
using FileHandle = std::intptr_t;

struct CFileStatus {
  std::uint64_t m_size = 0;
  bool m_named = false;
};

class CFile {
 public:
  // Open-mode bits. modeCreate without modeNoTruncate empties an existing file.
  enum OpenFlags : unsigned {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareDenyNone = 0x0040,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    // Every write lands at the end the file has at that moment, whoever else writes to it.
    modeAppend = 0x10000,
  };
  static constexpr FileHandle hFileNull = -1;

  CFile() = default;
  ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // False when the file cannot be opened, or is not a regular file (a folder, FIFO, socket or
  // device of that name); the object then stays closed and LastError() says why. On Linux the
  // descriptor is opened with O_CLOEXEC and O_NONBLOCK, so that neither the open nor a read ever
  // waits on a FIFO or device found where a file was expected. On Windows an open without
  // shareDenyNone takes the file for exclusive use: any other open of it fails until this one is
  // closed; Linux has no such lock, and there the bit changes nothing. An object that is already
  // open is closed first.
  bool Open(const std::string& path, unsigned flags);
  // Harmless on a closed object.
  void Close();
  bool IsOpen() const { return m_hFile != hFileNull; }
  // The open file's length and whether it still has a name: a file removed, or replaced by
  // another put in its place, since it was opened has none. False when closed or unknown.
  bool GetStatus(CFileStatus& status) const;

  // Length in bytes, or 0 when closed or unknown.
  std::uint64_t GetLength() const;
  // Reads up to count bytes at the current position; returns the number read. Fewer than count
  // means the end of the file, or a failure, which LastError() then names (empty otherwise): a
  // caller that needs the whole file checks it, since a short read is not the end.
  std::size_t Read(void* buffer, std::size_t count);
  // Writes all count bytes, retrying short writes; false when they could not all be written.
  bool Write(const void* buffer, std::size_t count);
  // Moves to the end of the file; returns the new position, or -1 on failure.
  std::int64_t SeekToEnd();
  // Cuts or extends the file to length bytes; false on failure or when closed. Lets a writer
  // take back a record it could not finish.
  bool SetLength(std::uint64_t length);

  // Why the last Open, GetStatus, Read, Write or SetLength of this object failed: the platform's
  // own code (errno on Linux, GetLastError() on Windows, whose texts ErrorText gives),
  // std::errc::bad_file_descriptor for a closed object. Empty after their success.
  std::error_code LastError() const { return m_lastError; }

  FileHandle m_hFile = hFileNull;

 private:
  // Note the platform's reason for the failure in hand, or that the object is closed; both
  // return false.
  bool Failed() const;
  bool NotOpen() const;

  mutable std::error_code m_lastError;
  // The path it was opened with, by which tests choose the calls that fail.
  std::string m_path;
  // Opened with modeAppend. A POSIX descriptor carries this itself (O_APPEND); a Win32
  // handle needs it asked for at each write.
  bool m_append = false;
};

// For POSIX tests: another process that keeps writing new versions of one file in place, as an
// editor or a database would while a clean copies it. Each version is one letter repeated over
// the whole file, so a copy that mixes versions shows, and the process counts its writes where
// the test can read them, so that a test can tell a copy made while the file was being written
// from one made while the writer happened to wait (which rightly shows the file as it stood).
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

class RewritingProcess {
 public:
  // The file gets its first version, of size bytes (a multiple of kChunk), before this returns;
  // the process then writes the next version over it, kChunk bytes a write, until the object
  // goes. A trailing hole of that many bytes follows the versions, making the file sparse.
  RewritingProcess(const std::string& path, std::size_t size, off_t trailingHole = 0) {
    void* shared = ::mmap(nullptr, sizeof(std::atomic<std::uint64_t>), PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) return;
    m_writes = new (shared) std::atomic<std::uint64_t>(0);
    // Made before the fork: the child allocates nothing, as another thread may hold the heap.
    std::string chunk(kChunk, 'a');
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    if (!WriteVersion(fd, chunk, size) ||
        ::ftruncate(fd, static_cast<off_t>(size) + trailingHole) != 0) {
      ::close(fd);
      return;
    }
    m_pid = ::fork();
    if (m_pid != 0) {
      ::close(fd);
      return;
    }
    for (char letter = 'b';; letter = letter == 'z' ? 'a' : static_cast<char>(letter + 1)) {
      std::memset(chunk.data(), letter, kChunk);
      if (!WriteVersion(fd, chunk, size)) ::_exit(1);
    }
  }
  ~RewritingProcess() {
    if (m_pid > 0) {
      ::kill(m_pid, SIGKILL);
      ::waitpid(m_pid, nullptr, 0);
    }
    if (m_writes != nullptr) ::munmap(m_writes, sizeof *m_writes);
  }
  RewritingProcess(const RewritingProcess&) = delete;
  RewritingProcess& operator=(const RewritingProcess&) = delete;

  static constexpr std::size_t kChunk = 1u << 20;

  bool Running() const { return m_pid > 0; }
  // The writes finished so far. Where several ended while a copy was made, the writer did not
  // wait all along.
  std::uint64_t Writes() const { return m_writes->load(); }

  // True for the whole of one version of that size: one letter throughout.
  static bool IsOneVersion(std::string_view contents, std::size_t size) {
    return contents.size() == size && !contents.empty() &&
           contents.find_first_not_of(contents.front()) == std::string_view::npos;
  }
  // True as well for the file as it stands while the writer waits, between two writes or in
  // the middle of one: the next version's letter up to some point, the one before after it.
  // A copy read while the writer goes on shows other mixes: an older letter before a newer
  // one, or more than two.
  static bool IsWhatTheFileHeld(std::string_view contents, std::size_t size) {
    if (contents.size() != size || contents.empty()) return false;
    if (IsOneVersion(contents, size)) return true;
    const std::size_t split = contents.find_first_not_of(contents.front());
    const char before = contents[split];
    const char next = before == 'z' ? 'a' : static_cast<char>(before + 1);
    return contents.front() == next &&
           contents.find_first_not_of(before, split) == std::string_view::npos;
  }

 private:
  bool WriteVersion(int fd, const std::string& chunk, std::size_t size) {
    for (std::size_t at = 0; at < size; at += kChunk) {
      const ssize_t written = ::pwrite(fd, chunk.data(), kChunk, static_cast<off_t>(at));
      if (written != static_cast<ssize_t>(kChunk)) return false;
      m_writes->fetch_add(1);
    }
    return true;
  }

  pid_t m_pid = -1;
  std::atomic<std::uint64_t>* m_writes = nullptr;
};

// For tests: lowers the process's file-size limit for a scope, so that writes fail part way
// (with EFBIG) even for root, whom permissions do not stop. SIGXFSZ is ignored meanwhile.
#pragma once

#include <sys/resource.h>

#include <csignal>

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    m_saved_ok = ::getrlimit(RLIMIT_FSIZE, &m_saved) == 0;
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = m_saved;
    lowered.rlim_cur = bytes;
    m_ok = m_saved_ok && ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
  }
  ~FileSizeLimit() {
    if (m_saved_ok) ::setrlimit(RLIMIT_FSIZE, &m_saved);
    std::signal(SIGXFSZ, m_oldHandler);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  // False when the limit could not be lowered: the test cannot make its write fail.
  bool ok() const { return m_ok; }

 private:
  rlimit m_saved{};
  bool m_saved_ok = false;
  bool m_ok = false;
  void (*m_oldHandler)(int) = nullptr;
};

// One thread that takes namings from a short queue in order, woken for a batch at a time.
#include "store/shared_namer.h"

#include <system_error>
#include <utility>

#include "platform/file_copies.h"
#include "store/copy_origin.h"

namespace {

// The thread is woken for a batch of names rather than for each one, since every wake-up is
// a system call on either side.
constexpr std::size_t kBatch = 64;
// Enough to keep the thread busy across a large file's copy, few enough to stay small.
constexpr std::size_t kMostWaiting = 256;

}  // namespace

SharedNamer::SharedNamer(std::string workFolder) : m_workFolder(std::move(workFolder)) {}

SharedNamer::~SharedNamer() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopping = true;
  }
  m_work.notify_one();
  if (m_thread.joinable()) m_thread.join();
}

void SharedNamer::GiveNow(const Naming& naming) {
  const FileNote origin = OriginNoteOf(naming.origin.c_str());
  // Before the shared name appears, so that it never shows without its origin; a file system
  // that cannot keep it still gets the name.
  AttachFileNote(naming.ownCopy.c_str(), origin);
  const std::error_code error =
      AddNameReplacing(naming.ownCopy, naming.shared, m_workFolder, &origin, naming.likelyTaken);
  if (!error) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_failures.push_back(Failure{naming.origin, error});
}

std::vector<SharedNamer::Failure> SharedNamer::TakeFailures() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return std::exchange(m_failures, {});
}

void SharedNamer::Give(std::string ownCopy, std::string shared, std::string origin,
                       bool likelyTaken) {
  Naming naming{std::move(ownCopy), std::move(shared), std::move(origin), likelyTaken};
  if (!m_thread.joinable() && !m_threadFailed) {
    try {
      m_thread = std::thread(&SharedNamer::Run, this);
    } catch (const std::system_error&) {
      // No thread to be had: each name is given when it is asked for.
      m_threadFailed = true;
    }
  }
  if (m_threadFailed) {
    GiveNow(naming);
    return;
  }
  std::unique_lock<std::mutex> lock(m_mutex);
  m_given.wait(lock, [&] { return m_waiting.size() < kMostWaiting; });
  m_waiting.push_back(std::move(naming));
  const bool batchReady = m_waiting.size() == kBatch;
  lock.unlock();
  if (batchReady) m_work.notify_one();
}

void SharedNamer::Wait() {
  std::unique_lock<std::mutex> lock(m_mutex);
  ++m_waitingForAll;
  m_work.notify_one();
  m_given.wait(lock, [&] { return m_waiting.empty() && !m_busy; });
  --m_waitingForAll;
}

void SharedNamer::Run() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_work.wait(lock, [&] {
      return m_waiting.size() >= kBatch || m_stopping || (m_waitingForAll > 0 && !m_waiting.empty());
    });
    if (m_waiting.empty()) return;  // stopping, with nothing left to give
    // Once awake, it gives names until none is left.
    while (!m_waiting.empty()) {
      const Naming naming = std::move(m_waiting.front());
      m_waiting.pop_front();
      m_busy = true;
      lock.unlock();
      m_given.notify_all();
      GiveNow(naming);
      lock.lock();
      m_busy = false;
    }
    m_given.notify_all();
  }
}

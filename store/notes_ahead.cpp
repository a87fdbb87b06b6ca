// One thread that lists a folder as the walk lists it and reads each own copy's note, a
// bounded number ahead of the clean.
#include "store/notes_ahead.h"

#include <system_error>
#include <utility>

#include "platform/folder_notes.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"

namespace {

// Enough to stay ahead of a clean, few enough to stay small in a folder of any size.
constexpr std::size_t kMostAhead = 256;
// Names passed over in one Take beyond which the clean is taken to ask out of the listing's
// order (a file made in the folder meanwhile): the rest of the folder is not read ahead.
constexpr int kMostPassedOver = 1024;
// Notes handed over at a time. The side that waits is woken only once this many are ready for
// it (the clean) or have been taken (the reader): woken for each note, the two would take
// turns on the processors at every file, each switch costing more than the note itself, and on
// a busy machine each waiting for a time slice.
constexpr std::size_t kHandOver = 32;

}  // namespace

NotesAhead::~NotesAhead() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopping = true;
  }
  m_changed.notify_all();
  if (m_thread.joinable()) m_thread.join();
}

void NotesAhead::Read(const std::string& sourceFolder, const std::string& mirrorFolder,
                      const std::string& after) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_source = sourceFolder;
    m_mirror = mirrorFolder;
    m_after = after;
    ++m_folder;
    m_listed = false;
    m_ahead.clear();
  }
  if (!m_thread.joinable() && !m_threadFailed) {
    try {
      m_thread = std::thread(&NotesAhead::Run, this);
    } catch (const std::system_error&) {
      m_threadFailed = true;  // every note is then read by the caller
    }
  }
  m_changed.notify_all();
}

std::optional<std::optional<std::string>> NotesAhead::Take(const std::string& name) {
  if (m_threadFailed) return std::nullopt;
  std::unique_lock<std::mutex> lock(m_mutex);
  for (int passedOver = 0;;) {
    while (!m_ahead.empty()) {
      Ahead front = std::move(m_ahead.front());
      m_ahead.pop_front();
      if (m_ahead.size() == kMostAhead - kHandOver) m_changed.notify_all();
      if (front.name == name)
        return std::optional<std::optional<std::string>>(std::move(front.note));
      if (++passedOver == kMostPassedOver) {
        ++m_folder;  // the reader stops
        m_listed = true;
        m_ahead.clear();
        m_changed.notify_all();
      }
    }
    if (m_listed) return std::nullopt;
    m_changed.wait(lock);
  }
}

void NotesAhead::Run() {
  FolderNotes notes;
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [&] { return m_stopping || !m_listed; });
    if (m_stopping) return;
    const std::uint64_t folder = m_folder;
    const std::string source = m_source;
    const std::string after = m_after;
    notes.Use(m_mirror);
    lock.unlock();
    bool begun = false;
    DirectorySearch search;
    FindData data;
    const std::string pattern = source + kPathSeparator + "*";
    bool more = !search.Start(pattern.c_str(), data);
    std::error_code ended;
    while (more) {
      if (!begun) {
        begun = data.cFileName == after;
      } else if (!IsFolderNotLink(data)) {
        Ahead ahead{data.cFileName, notes.Read(data.cFileName, m_noteName)};
        lock.lock();
        m_changed.wait(
            lock, [&] { return m_stopping || m_folder != folder || m_ahead.size() < kMostAhead; });
        if (m_stopping || m_folder != folder) break;
        m_ahead.push_back(std::move(ahead));
        const bool handOver = m_ahead.size() == kHandOver;
        lock.unlock();
        if (handOver) m_changed.notify_all();
      }
      more = search.Next(data, ended);
    }
    if (!lock.owns_lock()) lock.lock();
    if (m_folder == folder) m_listed = true;
    m_changed.notify_all();
  }
}

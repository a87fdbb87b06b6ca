// One thread that walks a folder as the clean walks it, depth first and in the listing's order,
// and reads each own copy's note, a bounded number ahead of the clean.
#include "store/notes_ahead.h"

#include <memory>
#include <unordered_set>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/file_key.h"
#include "platform/folder_notes.h"
#include "platform/path_part_joins.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"

namespace {

// Enough to stay ahead of a clean, few enough to stay small in a folder of any size.
constexpr std::size_t kMostAhead = 256;
// Files with notes passed over in one Take beyond which the clean is taken to walk elsewhere
// than the reader (a file made meanwhile, a folder reached through a link): the rest is not
// read ahead. Files without notes (not backed up before: the pattern passes them over) are
// passed over freely, up to a bound of their own.
constexpr int kMostPassedOver = 1024;
constexpr int kMostPassedWithoutNotes = 1 << 16;
// Notes handed over at a time. The side that waits is woken only once this many are ready for
// it (the clean) or have been taken (the reader): woken for each note, the two would take
// turns on the processors at every file, each switch costing more than the note itself, and on
// a busy machine each waiting for a time slice.
constexpr std::size_t kHandOver = 32;
// Folders the reader goes down at most, each holding a search and a folder open.
constexpr std::size_t kDeepest = 128;

bool IsDotOrDotDot(const std::string& name) { return name == "." || name == ".."; }

// path without separators at its end; the root keeps its one.
std::string Trimmed(std::string path) {
  while (path.size() > 1 && path.back() == kPathSeparator) path.pop_back();
  return path;
}

// The folder holding path, without separators at its end (the root keeps its one), and the name
// path has in it; empty when path has no folder above it.
std::string ParentOf(std::string path, std::string* name) {
  path = Trimmed(std::move(path));
  const std::size_t slash = path.rfind(kPathSeparator);
  if (slash == std::string::npos || slash + 1 == path.size()) return {};
  if (name != nullptr) *name = path.substr(slash + 1);
  std::size_t end = slash;
  while (end > 0 && path[end - 1] == kPathSeparator) --end;
  return end == 0 ? path.substr(0, 1) : path.substr(0, end);
}

}  // namespace

NotesAhead::NotesAhead(const char* noteName, std::string passOver, std::string mirrorRoot,
                       const std::string& walkTop)
    : m_noteName(noteName),
      m_passOver(std::move(passOver)),
      m_mirrorRoot(std::move(mirrorRoot)),
      m_walkTop(Trimmed(CollapseSeparators(walkTop))) {}

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
  if (m_threadFailed) return;
  // The reader goes on from folder to folder as the walk does: everything below the mirror's
  // top is covered until it is given up.
  m_covered = m_mirrorRoot;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_source = sourceFolder;
    m_mirror = mirrorFolder;
    m_after = after;
    ++m_request;
    m_listed = false;
    m_ahead.clear();
  }
  if (!m_thread.joinable()) {
    try {
      m_thread = std::thread(&NotesAhead::Run, this);
    } catch (const std::system_error&) {
      m_threadFailed = true;  // every note is then read by the caller
      m_covered.clear();
    }
  }
  m_changed.notify_all();
}

bool NotesAhead::Covers(const std::string& mirrorPath) const {
  return !m_covered.empty() && mirrorPath.size() > m_covered.size() &&
         mirrorPath.compare(0, m_covered.size(), m_covered) == 0 &&
         mirrorPath[m_covered.size()] == kPathSeparator;
}

void NotesAhead::GiveUp() {
  ++m_request;  // the reader stops
  m_listed = true;
  m_ahead.clear();
  m_covered.clear();
  m_changed.notify_all();
}

std::optional<NoteAhead> NotesAhead::Take(const std::string& mirrorPath) {
  if (!Covers(mirrorPath)) return std::nullopt;
  std::unique_lock<std::mutex> lock(m_mutex);
  int passedOver = 0;
  int passedWithoutNotes = 0;
  for (;;) {
    while (!m_ahead.empty()) {
      Ahead front = std::move(m_ahead.front());
      m_ahead.pop_front();
      if (m_ahead.size() == kMostAhead - kHandOver) m_changed.notify_all();
      if (front.mirrorPath == mirrorPath) return std::move(front.read);
      if (front.read.note ? ++passedOver == kMostPassedOver
                     : ++passedWithoutNotes == kMostPassedWithoutNotes) {
        GiveUp();
        return std::nullopt;
      }
    }
    if (m_listed) return std::nullopt;
    m_changed.wait(lock);
  }
}

void NotesAhead::Run() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [&] { return m_stopping || !m_listed; });
    if (m_stopping) return;
    const std::uint64_t request = m_request;
    const std::string source = m_source;
    const std::string mirror = m_mirror;
    const std::string after = m_after;
    lock.unlock();
    ReadRequest(request, source, mirror, after);
    lock.lock();
    if (m_request == request) m_listed = true;
    m_changed.notify_all();
  }
}

bool NotesAhead::HandOver(std::uint64_t request, Ahead ahead) {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_changed.wait(lock, [&] {
    return m_stopping || m_request != request || m_ahead.size() < kMostAhead;
  });
  if (m_stopping || m_request != request) return false;
  m_ahead.push_back(std::move(ahead));
  const bool handOver = m_ahead.size() == kHandOver;
  lock.unlock();
  if (handOver) m_changed.notify_all();
  return true;
}

void NotesAhead::ReadRequest(std::uint64_t request, const std::string& source,
                             const std::string& mirror, const std::string& firstAfter) {
  struct Level {
    std::string source;
    std::string mirror;
    DirectorySearch search;
    FindData data;
    bool more = false;  // data holds an entry not yet read
    FolderNotes notes;
    std::optional<FileKey> mirrorKey;
    std::uint64_t device = 0;
  };
  std::uint64_t storeDevice = 0, storeInode = 0;
  const bool storeKnown =
      !m_passOver.empty() && !IdentifyFolder(m_passOver.c_str(), storeDevice, storeInode);
  std::vector<std::unique_ptr<Level>> levels;
  // As the walk, the reader enters each folder once, however many links lead to it, and none
  // on a file system of the kernel's own objects.
  std::unordered_set<FileKey, FileKeyHash> entered;
  const auto enter = [&](std::string folder, std::string mirrorFolder) {
    auto level = std::make_unique<Level>();
    const std::string pattern = folder + kPathSeparator + "*";
    if (level->search.Start(pattern.c_str(), level->data)) return;
    const FileKey self{level->search.Device(), level->search.Inode()};
    if ((storeKnown && self == FileKey{storeDevice, storeInode}) || !entered.insert(self).second) {
      return;
    }
    const bool newDevice = levels.empty() || levels.back()->device != self.device;
    if (newDevice && level->search.OnPseudoFileSystem()) return;
    level->device = self.device;
    level->more = true;
    level->source = std::move(folder);
    level->mirror = std::move(mirrorFolder);
    level->notes.Use(level->mirror);
    std::uint64_t device = 0, inode = 0;
    if (!IdentifyFolder(level->mirror.c_str(), device, inode)) {
      level->mirrorKey = FileKey{device, inode};
    }
    levels.push_back(std::move(level));
  };
  std::string topSource = source;
  std::string topMirror = mirror;
  std::string after = firstAfter;
  enter(topSource, topMirror);
  for (;;) {
    bool begun = after.empty();
    while (!levels.empty()) {
      Level& level = *levels.back();
      if (!level.more) {
        levels.pop_back();
        continue;
      }
      const std::string name = level.data.cFileName;
      const bool folder = (level.data.dwFileAttributes & kFolderAttribute) != 0;
      std::error_code ended;
      level.more = level.search.Next(level.data, ended);
      if (!begun) {
        // What the walk listed up to the entry it is at is behind it.
        begun = name == after;
      } else if (folder) {
        // A link to a folder too: the walk goes through it, unless it has been there.
        if (!IsDotOrDotDot(name) && levels.size() < kDeepest) {
          enter(level.source + kPathSeparator + name, level.mirror + kPathSeparator + name);
        }
      } else {
        Ahead ahead{level.mirror + kPathSeparator + name,
                    {level.notes.Read(name.c_str(), m_noteName), level.mirrorKey}};
        if (!HandOver(request, std::move(ahead))) return;
      }
    }
    // The folder done, the walk goes on in the folder above it, after it: so does the reader,
    // up to the folder the walk started in.
    if (!m_walkTop.empty() && Trimmed(CollapseSeparators(topSource)) == m_walkTop) return;
    std::string folderName;
    std::string parentSource = ParentOf(topSource, &folderName);
    std::string parentMirror = ParentOf(topMirror, nullptr);
    if (parentSource.empty() || folderName.empty() || parentMirror.size() <= m_mirrorRoot.size()) {
      return;
    }
    topSource = std::move(parentSource);
    topMirror = std::move(parentMirror);
    after = std::move(folderName);
    enter(topSource, topMirror);
  }
}

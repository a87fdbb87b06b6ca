// The two copies of one file in the store, and what their failures mean for the clean.
#include "store/store_copy.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/entry_links.h"
#include "platform/file.h"
#include "platform/file_copies.h"
#include "platform/folder_handle.h"
#include "platform/folder_paths.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"
#include "store/copy_origin.h"
#include "store/private_folders.h"
#include "store/store_layout.h"
#include "store/versions.h"

namespace {

#if defined(EDQUOT)
const std::error_code kQuotaExceeded(EDQUOT, std::generic_category());
#else
const std::error_code kQuotaExceeded = std::make_error_code(std::errc::no_space_on_device);
#endif

// A file written to while it was copied is copied once more: most writers are done by then. One
// that changes again gives no copy, rather than one that mixes two versions.
NamedCopyResult CopyOneVersion(const char* source, const std::string& store,
                               const std::string& destination, const FileNote* note,
                               bool likelyTaken, const BeforeReplacing& beforeReplacing = {}) {
  NamedCopyResult copied =
      CopyFileToName(source, store, destination, note, likelyTaken, beforeReplacing);
  if (copied.source == ChangedWhileCopied()) {
    copied = CopyFileToName(source, store, destination, note, likelyTaken, beforeReplacing);
  }
  return copied;
}

// True when the files at a and b hold the same bytes; false when they differ or either
// cannot be read whole.
bool SameContents(const char* a, const std::string& b) {
  CFile first, second;
  if (!first.Open(a, CFile::modeRead | CFile::shareDenyNone) ||
      !second.Open(b, CFile::modeRead | CFile::shareDenyNone) ||
      first.GetLength() != second.GetLength()) {
    return false;
  }
  static thread_local char bufferA[64 * 1024], bufferB[64 * 1024];
  for (;;) {
    const std::size_t got = first.Read(bufferA, sizeof bufferA);
    if (first.LastError() || second.Read(bufferB, got) != got || second.LastError()) return false;
    if (std::memcmp(bufferA, bufferB, got) != 0) return false;
    if (got < sizeof bufferA) return true;
  }
}

}  // namespace

bool IsStoreWideFailure(std::error_code error) {
  return error == std::errc::no_space_on_device || error == kQuotaExceeded ||
         error == std::errc::read_only_file_system || error == std::errc::permission_denied ||
         error == std::errc::operation_not_permitted || error == std::errc::io_error;
}

StoreCopier::StoreCopier(std::string store, const std::string& walkTop)
    : m_store(std::move(store)),
      m_linksKept(IsFolder(m_store + std::string(kLinksFolderName))),
      m_takenAt(SecondsNow()),
      m_madeFolders(std::size_t{1} << 18),
      m_seenNames(std::size_t{1} << 20),
      m_notesAhead(kTakenNoteName, m_store, m_store + std::string(kMirrorFolderName), walkTop),
      m_sharedNames(m_store) {}

std::error_code StoreCopier::MakeFolderFor(const std::string& ownCopy, bool& existed) {
  std::string folder(ownCopy);
  folder.resize(ownCopy.size() - FindFileName(ownCopy).size() - 1);
  if (m_folder == nullptr || folder != m_folder->path) {
    m_folder = m_folders.Enter(folder);
  }
  if (m_folder == nullptr) {
    std::vector<std::string> made;
    // Most folders are there from earlier cleans: one look then costs less than a refused make.
    if (!IsFolder(folder)) {
      if (std::error_code error = CreatePrivateFolders(folder, &made)) return error;
    }
    for (const std::string& each : made) m_madeFolders.Add(each);
    const bool existed = made.empty() && !m_madeFolders.MayContain(folder);
    m_writtenFolders.push_back(folder + kPathSeparator);
    m_folder = &m_folders.Add(std::move(folder), existed, !made.empty());
  }
  existed = m_folder->existed;
  return {};
}

std::error_code StoreCopier::OpenStoreFolder() {
  if (m_storeFolder.IsOpen()) return {};
  return m_storeFolder.Open(m_store.c_str());
}

std::error_code StoreCopier::KeepOwnCopy(const std::string& own, const char* source) {
  EntryLook look;
  if (LookAtEntry(own.c_str(), look) ||
      (look.kind != EntryKind::kRegular && look.kind != EntryKind::kLink)) {
    return {};
  }
  // A link carries no note: it is kept as taken by this clean.
  const std::optional<std::string> noted = ReadFileNote(own.c_str(), kTakenNoteName);
  const std::optional<TakenNote> taken = noted ? ParseTakenNote(*noted) : std::nullopt;
  return KeepAsVersion(m_store, own, source, taken ? taken->takenAt : m_takenAt);
}

std::vector<SharedNamer::Failure> StoreCopier::TakeNamingFailures(bool waitForAll) {
  if (waitForAll) m_sharedNames.Wait();
  return m_sharedNames.TakeFailures();
}

StoreCopyOutcome StoreCopier::CopyLink(const char* source, const EntryLook& look) {
  std::string target;
  if (std::error_code error = ReadLinkTarget(source, target)) {
    return {StoreCopyResult::kSourceFailed, error};
  }
  const std::optional<std::string> own = OwnLinkPathIn(m_store, source);
  if (!own) return {StoreCopyResult::kSourceFailed, std::make_error_code(std::errc::invalid_argument)};
  if (own->size() >= kMaxPath) {
    return {StoreCopyResult::kSourceFailed, std::make_error_code(std::errc::filename_too_long)};
  }
  // A link found through a link to a folder would have its copy below that link's copy: the
  // store never makes a folder, nor a name, through a link of its own.
  if (LinkOnTheWay(*own, m_store.size())) {
    return {StoreCopyResult::kSourceFailed, std::make_error_code(std::errc::not_a_directory)};
  }
  m_linksKept = true;
  bool folderExisted = false;
  if (std::error_code error = MakeFolderFor(*own, folderExisted)) {
    return {IsStoreWideFailure(error) ? StoreCopyResult::kStoreFailed
                                      : StoreCopyResult::kSourceFailed,
            error};
  }
  EntryLook kept;
  const bool taken = !m_folder->made && !LookAtEntry(own->c_str(), kept);
  if (taken && kept.kind == EntryKind::kLink) {
    std::string keptTarget;
    // The target text is all a link holds; its own time comes back with it on a restore.
    if (!ReadLinkTarget(own->c_str(), keptTarget) && keptTarget == target &&
        kept.modifiedSeconds == look.modifiedSeconds &&
        kept.modifiedNanoseconds == look.modifiedNanoseconds) {
      return {StoreCopyResult::kOwnCopy, {}, /*unchanged=*/true};
    }
  }
  // A file there before keeps its own copy only as a version: a restore takes the link.
  if (std::error_code error = RetireOwnCopy(OwnCopyPathIn(m_store, source), source)) {
    return {StoreCopyResult::kStoreFailed, error};
  }
  // As for a file: what has the name is kept as a version under the store's lock until the
  // new link has it.
  std::optional<FolderLockScope> locked;
  if (taken) {
    if (std::error_code error = OpenStoreFolder()) return {StoreCopyResult::kStoreFailed, error};
    if (std::error_code error = locked.emplace(m_storeFolder).error()) {
      return {StoreCopyResult::kStoreFailed, error};
    }
    if (std::error_code error = KeepOwnCopy(*own, source)) {
      return {IsStoreWideFailure(error) ? StoreCopyResult::kStoreFailed
                                        : StoreCopyResult::kSourceFailed,
              error};
    }
  }
  if (std::error_code error = MakeLink(target, *own, m_store, /*failIfExists=*/false,
                                       look.modifiedSeconds, look.modifiedNanoseconds)) {
    return {IsStoreWideFailure(error) ? StoreCopyResult::kStoreFailed
                                      : StoreCopyResult::kSourceFailed,
            error};
  }
  return {StoreCopyResult::kOwnCopy, {}};
}

std::error_code StoreCopier::RetireOwnCopy(const std::optional<std::string>& own,
                                           const char* source) {
  EntryLook look;
  // Below a link kept in the store lies something else than the store's own copy.
  if (!own || LookAtEntry(own->c_str(), look) || LinkOnTheWay(*own, m_store.size())) return {};
  std::optional<FolderLockScope> locked;
  if (std::error_code error = OpenStoreFolder()) return error;
  if (std::error_code error = locked.emplace(m_storeFolder).error()) return error;
  if (std::error_code error = KeepOwnCopy(*own, source)) return error;
  return RemoveFile(own->c_str());
}

StoreCopyOutcome StoreCopier::LinkToCopied(const char* source, const std::string& own,
                                           const std::string& copied, const std::string& stamp) {
  EntryLook ownLook, copiedLook;
  const bool taken = !LookAtEntry(own.c_str(), ownLook);
  if (LookAtEntry(copied.c_str(), copiedLook)) return {StoreCopyResult::kSourceFailed, {}};
  if (taken && ownLook.device == copiedLook.device && ownLook.index == copiedLook.index) {
    return {StoreCopyResult::kOwnCopy, {}, /*unchanged=*/true};
  }
  std::optional<FolderLockScope> locked;
  if (taken) {
    if (std::error_code error = OpenStoreFolder()) return {StoreCopyResult::kStoreFailed, error};
    if (std::error_code error = locked.emplace(m_storeFolder).error()) {
      return {StoreCopyResult::kStoreFailed, error};
    }
    // A copy of the same contents, made apart by an earlier clean, is not worth a version.
    const std::optional<std::string> noted = ReadFileNote(own.c_str(), kTakenNoteName);
    const std::optional<TakenNote> note = noted ? ParseTakenNote(*noted) : std::nullopt;
    if (!note || !TakenWithStamp(*note, stamp)) {
      if (std::error_code error = KeepOwnCopy(own, source)) {
        return {IsStoreWideFailure(error) ? StoreCopyResult::kStoreFailed
                                          : StoreCopyResult::kSourceFailed,
                error};
      }
    }
  }
  if (std::error_code error = AddNameReplacing(copied, own, m_store, nullptr, taken)) {
    return {IsStoreWideFailure(error) ? StoreCopyResult::kStoreFailed
                                      : StoreCopyResult::kSharedOnly,
            error};
  }
  return {StoreCopyResult::kOwnCopy, {}};
}

StoreCopyOutcome StoreCopier::CopyWithoutReadingAhead(const char* source) {
  m_readingAhead = false;
  StoreCopyOutcome copied = Copy(source);
  m_readingAhead = true;
  return copied;
}

void StoreCopier::TrustReadAhead(const std::optional<FileKey>& key) {
  if (m_trustedFolders.empty() || m_trustedFolders.back().path != m_folder->path ||
      m_trustedFolders.back().key != key) {
    m_trustedFolders.push_back({m_folder->path, key});
  }
}

bool StoreCopier::NotesReadAheadHold() {
  bool hold = true;
  for (const TrustedFolder& folder : m_trustedFolders) {
    std::uint64_t device = 0, inode = 0;
    if (!folder.key || IdentifyFolder(folder.path.c_str(), device, inode) ||
        FileKey{device, inode} != *folder.key) {
      hold = false;
      break;
    }
  }
  m_trustedFolders.clear();
  return hold;
}

std::error_code StoreCopier::LookAtSource(const char* source, EntryLook& look) {
  const std::string_view path(source);
  const std::string_view name = FindFileName(path);
  std::string_view folder = path.substr(0, path.size() - name.size());
  while (folder.size() > 1 && folder.back() == kPathSeparator) folder.remove_suffix(1);
  if (folder.empty() || name.empty()) return LookAtEntry(source, look);
  m_sourceLooks.Use(folder);
  // The name is the end of source, so it ends where source does.
  return m_sourceLooks.Look(name.data(), look);
}

StoreCopyOutcome StoreCopier::Copy(const char* source) {
  EntryLook look;
  if (std::error_code error = LookAtSource(source, look)) {
    return {StoreCopyResult::kSourceFailed, error};
  }
  if (look.kind == EntryKind::kLink) return CopyLink(source, look);
  // The shared name, and whether this clean has given it before: only a copy made needs them.
  std::string shared;
  bool nameSeen = false;
  auto lookUpShared = [&] {
    shared = SharedCopyPathIn(m_store, source);
    nameSeen = m_seenNames.Add(FindFileName(source));
  };
  const FileNote origin = OriginNoteOf(source);
  std::error_code noOwnCopy;
  bool folderExisted = false;
  if (std::optional<std::string> own = OwnCopyPathIn(m_store, source); !own) {
    noOwnCopy = std::make_error_code(std::errc::invalid_argument);
  } else if (own->size() >= kMaxPath) {
    noOwnCopy = std::make_error_code(std::errc::filename_too_long);
  } else if ((noOwnCopy = MakeFolderFor(*own, folderExisted))) {
    if (IsStoreWideFailure(noOwnCopy)) return {StoreCopyResult::kStoreFailed, noOwnCopy};
  } else {
    // Only a folder this clean made is sure to hold no earlier copy of the path.
    const bool earlierCopies = !m_folder->made;
    const std::string name(FindFileName(*own));
    // Taken before the copy: a file changed after this look is copied again next time.
    const std::optional<std::string> stamp =
        look.stamp.empty() ? std::nullopt : std::optional<std::string>(look.stamp);
    // A further name of a file this clean has copied already: its own copy is a further name
    // of that copy, so that the names come back as one file when restored together.
    const FileKey key{look.device, look.index};
    // Where links are followed (Windows), a link to a file and a further name of it look the
    // same: only where links are kept as links is a second name taken for a hard link.
    const bool severalNames = kLinksKeptAsLinks && look.links > 1;
    if (severalNames) {
      if (const auto first = m_copiedSources.find(key); first != m_copiedSources.end() && stamp) {
        StoreCopyOutcome linked = LinkToCopied(source, *own, first->second, *stamp);
        if (linked.result == StoreCopyResult::kOwnCopy) {
          if (!linked.unchanged) {
            lookUpShared();
            m_sharedNames.Give(*own, std::move(shared), source, folderExisted || nameSeen);
          }
          return linked;
        }
        if (linked.result == StoreCopyResult::kStoreFailed) return linked;
        // Otherwise it is copied as a file of its own.
      }
    }
    auto rememberCopied = [&] {
      if (severalNames) m_copiedSources.emplace(key, *own);
    };
    if (earlierCopies) {
      // The notes of earlier copies are read ahead on a thread, from the file after the first
      // one the reader does not cover.
      std::optional<NoteAhead> ahead;
      if (m_readingAhead && m_notesAhead.Covers(*own)) {
        ahead = m_notesAhead.Take(*own);
      } else if (m_readingAhead) {
        m_notesAhead.Read(FolderPart(source), m_folder->path, name);
      }
      const std::optional<std::string> noted =
          ahead ? std::move(ahead->note) : m_folder->notes.Read(name.c_str(), kTakenNoteName);
      const std::optional<TakenNote> taken = noted ? ParseTakenNote(*noted) : std::nullopt;
      // Where the file system keeps no notes (FAT, network shares) or the copy predates them,
      // the contents themselves tell: reading costs less than a copy, and a version that
      // repeats its own copy would double the store at every clean. A file not copied again
      // leaves the shared copy of its name as it is, the latest copy made of a file of that
      // name: a clean of an unchanged tree then writes nothing but its records.
      if ((stamp && taken && TakenWithStamp(*taken, *stamp)) ||
          (!taken && SameContents(source, *own))) {
        // Only a note read ahead stands in for the copy itself; contents compared were read now.
        if (ahead && taken) TrustReadAhead(ahead->folder);
        rememberCopied();
        return {StoreCopyResult::kOwnCopy, {}, /*unchanged=*/true};
      }
    }
    lookUpShared();
    const std::string takenText = stamp ? TakenNoteText({*stamp, m_takenAt}) : std::string();
    const FileNote takenNote{kTakenNoteName, takenText};
    // Whatever copy has the path's name when this one is about to take it stays, as a version
    // of the path, under the store's lock until the new copy has the name: another instance
    // may have put its own copy there since this one looked, and it must not be lost.
    std::optional<FolderLockScope> locked;
    const BeforeReplacing keepReplaced = [&]() -> std::error_code {
      if (!locked) {
        if (std::error_code error = OpenStoreFolder()) return error;
        if (std::error_code error = locked.emplace(m_storeFolder).error()) {
          locked.reset();
          return error;
        }
      }
      return KeepOwnCopy(*own, source);
    };
    // A folder an earlier clean copied into most likely holds this path's earlier copy.
    // The origin is for the shared name, which follows with it.
    const NamedCopyResult copied = CopyOneVersion(
        source, m_store, *own, stamp ? &takenNote : nullptr, folderExisted, keepReplaced);
    locked.reset();
    if (copied.source) return {StoreCopyResult::kSourceFailed, copied.source};
    if (copied.write) return {StoreCopyResult::kStoreFailed, copied.write};
    noOwnCopy = copied.name;
    if (!noOwnCopy) {
      rememberCopied();
      // A link there before keeps its copy only as a version: a restore takes the file.
      if (m_linksKept) RetireOwnCopy(OwnLinkPathIn(m_store, source), source);
      m_sharedNames.Give(std::move(*own), std::move(shared), source, folderExisted || nameSeen);
      return {StoreCopyResult::kOwnCopy, {}};
    }
    if (IsStoreWideFailure(noOwnCopy)) return {StoreCopyResult::kStoreFailed, noOwnCopy};
  }
  // Only the shared copy, written now: a shared name still waiting must not overtake it.
  if (shared.empty()) lookUpShared();
  m_sharedNames.Wait();
  const NamedCopyResult copied =
      CopyOneVersion(source, m_store, shared, &origin, folderExisted || nameSeen);
  if (copied.source) return {StoreCopyResult::kSourceFailed, copied.source};
  if (copied.write) return {StoreCopyResult::kStoreFailed, copied.write};
  if (const std::error_code failed = copied.name) {
    const std::error_code why = noOwnCopy ? noOwnCopy : failed;
    return {
        IsStoreWideFailure(why) ? StoreCopyResult::kStoreFailed : StoreCopyResult::kSourceFailed,
        why};
  }
  return {StoreCopyResult::kSharedOnly, noOwnCopy};
}

// Reading the mirrors of the store ("paths" and "versions") back into the paths they keep.
#include "store/stored_paths.h"

#include <algorithm>
#include <set>

#include "platform/path_parts.h"
#include "platform/platform_files.h"
#include "store/store_layout.h"

namespace {

// below, the parts of a folder below the root, joined to name: "" joins to name alone.
std::string Joined(std::string_view below, std::string_view name) {
  std::string parts(below);
  if (!parts.empty()) parts += kPathSeparator;
  parts += name;
  return parts;
}

// The folder of the mirror top ("paths" or "versions" in the store) that lies where the
// folder with these parts lies below its root.
std::string MirrorFolder(const std::string& store, std::string_view top, std::string_view below) {
  std::string folder = store + std::string(top);
  if (!below.empty()) folder += kPathSeparator + std::string(below);
  return folder;
}

// Calls found(below, name) for every file in the folder of the mirror top for below, and in
// every folder below that one.
template <typename Found>
void ForEachFileIn(const std::string& store, std::string_view top, const std::string& below,
                   const Found& found) {
  const std::string folder = MirrorFolder(store, top, below);
  DirectorySearch search;
  FindData data;
  const std::string pattern = folder + kPathSeparator + "*";
  if (search.Start(pattern.c_str(), data)) return;
  std::vector<std::string> folders;
  std::error_code ended;
  do {
    const std::string_view name = data.cFileName;
    if (!IsFolderNotLink(data)) {
      found(below, name);
    } else if (name != "." && name != "..") {
      folders.push_back(Joined(below, name));
    }
  } while (search.Next(data, ended));
  search.Close();
  for (const std::string& each : folders) ForEachFileIn(store, top, each, found);
}

bool NewerFirst(const Version& a, const Version& b) {
  if (a.ownCopy != b.ownCopy) return a.ownCopy;
  return a.takenAt != b.takenAt ? a.takenAt > b.takenAt : a.sequence > b.sequence;
}

}  // namespace

std::vector<std::string> StoredPathsUnder(const std::string& store, std::string_view folder) {
  std::set<std::string> parts;
  const std::string below(folder);
  ForEachFileIn(store, kMirrorFolderName, below, [&](std::string_view in, std::string_view name) {
    parts.insert(Joined(in, name));
  });
  ForEachFileIn(store, kLinksFolderName, below, [&](std::string_view in, std::string_view name) {
    if (name.size() > kLinkSuffix.size() && name.ends_with(kLinkSuffix)) {
      parts.insert(Joined(in, name.substr(0, name.size() - kLinkSuffix.size())));
    }
  });
  ForEachFileIn(store, kVersionsFolderName, below, [&](std::string_view in, std::string_view name) {
    if (const std::optional<VersionName> version = ParseVersionFileName(name)) {
      parts.insert(Joined(in, version->fileName));
    }
  });
  std::vector<std::string> paths;
  paths.reserve(parts.size());
  for (const std::string& each : parts) {
    if (std::optional<std::string> path = PathFromPartsBelowRoot(each)) {
      paths.push_back(std::move(*path));
    }
  }
  return paths;
}

void StoredCopies::ReadFolder(const std::string& folder) {
  m_byName.clear();
  m_folder = folder;
  const std::string links = MirrorFolder(m_store, kLinksFolderName, folder);
  const std::string own = MirrorFolder(m_store, kMirrorFolderName, folder);
  const std::string versions = MirrorFolder(m_store, kVersionsFolderName, folder);
  // Only this folder: the walk below it is for StoredPathsUnder.
  DirectorySearch search;
  FindData data;
  std::error_code ended;
  // A link's own copy is the latest one of its path: a file's copy there, if any, is older.
  for (const std::string* mirror : {&links, &own, &versions}) {
    const std::string pattern = *mirror + kPathSeparator + "*";
    if (search.Start(pattern.c_str(), data)) continue;
    do {
      if (IsFolderNotLink(data)) continue;
      const std::string path = *mirror + kPathSeparator + data.cFileName;
      if (mirror == &links) {
        const std::string_view name = data.cFileName;
        if ((data.dwFileAttributes & kLinkAttribute) == 0 || name.size() <= kLinkSuffix.size() ||
            !name.ends_with(kLinkSuffix)) {
          continue;
        }
        m_byName[std::string(name.substr(0, name.size() - kLinkSuffix.size()))].copies.push_back(
            {path, 0, 1, 0, /*ownCopy=*/true, /*timeKnown=*/false});
      } else if (mirror == &own) {
        std::vector<Version>& copies = m_byName[data.cFileName].copies;
        if (!copies.empty() && copies.front().ownCopy) continue;
        copies.push_back(
            {path, 0, 1, 0, /*ownCopy=*/true, /*timeKnown=*/false});
      } else if (const std::optional<VersionName> version = ParseVersionFileName(data.cFileName)) {
        m_byName[version->fileName].copies.push_back(
            {path, version->takenAt, version->sequence, 0});
      }
    } while (search.Next(data, ended));
    search.Close();
  }
}

const std::vector<Version>& StoredCopies::Of(std::string_view recordedPath) {
  const std::optional<std::string> parts = PartsBelowRoot(recordedPath);
  if (!parts) return m_none;
  const std::string_view name = FindFileName(*parts);
  const std::string folder(std::string_view(*parts).substr(
      0, parts->size() - name.size() - (parts->size() > name.size() ? 1 : 0)));
  if (folder != m_folder) ReadFolder(folder);
  const auto found = m_byName.find(name);
  if (found == m_byName.end()) return m_none;
  Copies& copies = found->second;
  if (!copies.looked) {
    copies.looked = true;
    for (Version& copy : copies.copies) {
      FileIdentity identity;
      if (!IdentifyFile(copy.path.c_str(), identity)) copy.size = identity.size;
      if (!copy.ownCopy) continue;
      if (const std::optional<std::string> text = ReadFileNote(copy.path.c_str(), kTakenNoteName)) {
        if (const std::optional<TakenNote> note = ParseTakenNote(*text)) {
          copy.takenAt = note->takenAt;
          copy.timeKnown = true;
        }
      }
    }
    std::sort(copies.copies.begin(), copies.copies.end(), NewerFirst);
  }
  return copies.copies;
}

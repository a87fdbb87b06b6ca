// FolderNotes on Windows: a note is an alternate data stream, which only a whole path names.
#include "platform/folder_notes.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"

struct FolderNotes::Held {};

FolderNotes::FolderNotes() = default;
FolderNotes::~FolderNotes() = default;

void FolderNotes::Use(const std::string& folder) { m_folder = folder; }

std::optional<std::string> FolderNotes::Read(const char* name, const char* noteName) {
  return ReadFileNote((m_folder + kPathSeparator + name).c_str(), noteName);
}

void FolderNotes::ReadByWholePathsForTesting(bool /*wholePaths*/) {}

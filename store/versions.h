// Older copies of a recorded path. A clean that replaces a path's own copy with other contents
// keeps the copy it replaces, and a restore that replaces a file keeps that file, each as a
// version of the path, named by the UTC time it was taken, in a tree beside "paths" that
// mirrors it, so that a person browsing the store finds them:
//   versions/home/me/a (2026-12-07 221503 UTC).log
// Two versions of one path taken within the same second are told apart by a number after the
// time: "a (2026-12-07 221503 UTC 2).log".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

inline constexpr std::string_view kVersionsFolderName = "versions";

struct Version {
  std::string path;      // the version's file in the store
  std::int64_t takenAt;  // seconds since 1970-01-01 UTC
  int sequence;          // 1 for the first of its second, then 2, 3, ...
  std::uint64_t size;
  // The path's own copy under "paths", the newest of its copies; its time is known only when
  // the clean that took it noted it (timeKnown).
  bool ownCopy = false;
  bool timeKnown = true;
};

// What an own copy notes of how it was taken: the contents stamp of its source
// (ContentsStamp) and the time the clean that took it started. The text holds a 64-bit digest
// of the stamp rather than the stamp: short enough that the file system keeps the note inside
// the copy's own record (ext4's inode), where a clean of an unchanged tree reads it without a
// further block for each file.
inline constexpr const char* kTakenNoteName = "quillmar.taken";
struct TakenNote {
  std::string stamp;  // as written: the stamp; as read back: what the note holds of it
  std::int64_t takenAt = 0;
};
std::string TakenNoteText(const TakenNote& note);
std::optional<TakenNote> ParseTakenNote(std::string_view text);
// True when the note read back was taken from a source whose stamp was stamp, also for a note
// that holds the whole stamp.
bool TakenWithStamp(const TakenNote& note, std::string_view stamp);

// "2026-12-07 221503" for a time in seconds since 1970-01-01 UTC.
std::string VersionTimeText(std::int64_t takenAt);
// The time such a text names, or nothing when it is not one.
std::optional<std::int64_t> ParseVersionTime(std::string_view text);

// A version's file name read back: the file name of the path it is a version of, and when
// it was taken. Nothing for a name that is not a version's.
struct VersionName {
  std::string fileName;
  std::int64_t takenAt;
  int sequence;
};
std::optional<VersionName> ParseVersionFileName(std::string_view name);

// Every version below folder (the store's versions folder, or any folder in it), however deep,
// in no particular order.
std::vector<Version> AllVersionsIn(const std::string& folder);

// The path of the version of recordedPath taken at takenAt with that sequence number, in the
// store folder store (ending with a separator); nothing for a path that has no own copy.
std::optional<std::string> VersionPathIn(const std::string& store, std::string_view recordedPath,
                                         std::int64_t takenAt, int sequence = 1);

// Keeps the file at current as a version of recordedPath taken at takenAt. The file stays
// where it is: the version is a further name for it where the file system allows (so a later
// rename over current leaves it to the version alone), a copy of it otherwise; either way it
// appears whole or not at all, and hidden names on the way lie only at the top of the store.
// Returns the version's path, or the failure.
std::error_code KeepAsVersion(const std::string& store, const std::string& current,
                              std::string_view recordedPath, std::int64_t takenAt,
                              std::string* kept = nullptr);

// The versions of recordedPath in the store, newest first; empty when it has none.
std::vector<Version> VersionsOf(const std::string& store, std::string_view recordedPath);
// Every copy of recordedPath that can be restored from: its own copy first, when it has one,
// then its versions, newest first.
std::vector<Version> CopiesOf(const std::string& store, std::string_view recordedPath);

// The time now, in seconds since 1970-01-01 UTC.
std::int64_t SecondsNow();

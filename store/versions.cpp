// Versions of a recorded path: their names, keeping one, and finding them again.
#include "store/versions.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iterator>

#include "platform/entry_links.h"
#include "platform/file.h"
#include "platform/file_copies.h"
#include "platform/folder_paths.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"
#include "store/link_copies.h"
#include "store/private_folders.h"
#include "store/store_layout.h"

namespace {

constexpr std::string_view kUtc = " UTC";
constexpr std::int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar, and back.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

void CivilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shifted = (5 * dayOfYear + 2) / 153;
  day = dayOfYear - (153 * shifted + 2) / 5 + 1;
  month = shifted < 10 ? shifted + 3 : shifted - 9;
  year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2);
}

// A name's stem and extension as a person sees them: a hidden name without a further dot
// (".bashrc") is all stem.
std::pair<std::string_view, std::string_view> StemAndExtension(std::string_view name) {
  std::string_view extension = FindExtension(name);
  if (extension.size() == name.size()) extension = name.substr(name.size());
  return {name.substr(0, name.size() - extension.size()), extension};
}

bool ParseNumber(std::string_view text, unsigned& value) {
  if (text.empty() || text.size() > 9) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return true;
}

// The time and sequence of a version's name, when name is one of the path's whose file name
// is fileName.
bool ParseVersionName(std::string_view name, std::string_view fileName, std::int64_t& takenAt,
                      int& sequence) {
  const std::optional<VersionName> parsed = ParseVersionFileName(name);
  if (!parsed || parsed->fileName != fileName) return false;
  takenAt = parsed->takenAt;
  sequence = parsed->sequence;
  return true;
}

}  // namespace

std::string VersionTimeText(std::int64_t takenAt) {
  std::int64_t days = takenAt / kSecondsPerDay;
  std::int64_t rest = takenAt % kSecondsPerDay;
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  std::int64_t year = 0;
  unsigned month = 0, day = 0;
  CivilFromDays(days, year, month, day);
  char text[40];
  std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02d%02d%02d", static_cast<long long>(year),
                month, day, static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                static_cast<int>(rest % 60));
  return text;
}

std::optional<std::int64_t> ParseVersionTime(std::string_view text) {
  // "YYYY-MM-DD HHMMSS"
  if (text.size() != 17 || text[4] != '-' || text[7] != '-' || text[10] != ' ') return std::nullopt;
  unsigned year, month, day, hour, minute, second;
  if (!ParseNumber(text.substr(0, 4), year) || !ParseNumber(text.substr(5, 2), month) ||
      !ParseNumber(text.substr(8, 2), day) || !ParseNumber(text.substr(11, 2), hour) ||
      !ParseNumber(text.substr(13, 2), minute) || !ParseNumber(text.substr(15, 2), second)) {
    return std::nullopt;
  }
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) {
    return std::nullopt;
  }
  std::int64_t checkYear = 0;
  unsigned checkMonth = 0, checkDay = 0;
  const std::int64_t days = DaysFromCivil(year, month, day);
  CivilFromDays(days, checkYear, checkMonth, checkDay);
  if (checkMonth != month || checkDay != day) return std::nullopt;  // 31 April, 29 February
  return days * kSecondsPerDay + hour * 3600 + minute * 60 + second;
}

std::optional<VersionName> ParseVersionFileName(std::string_view name) {
  // The time stands after the last " (" that a time follows: a stem may hold " (" itself.
  for (std::size_t open = name.rfind(" ("); open != std::string_view::npos && open > 0;
       open = name.rfind(" (", open - 1)) {
    std::string_view rest = name.substr(open + 2);
    if (rest.size() < 17 + kUtc.size() + 1) continue;
    const std::optional<std::int64_t> time = ParseVersionTime(rest.substr(0, 17));
    if (!time || rest.substr(17, kUtc.size()) != kUtc) continue;
    rest.remove_prefix(17 + kUtc.size());
    int sequence = 1;
    const std::size_t close = rest.find(')');
    if (close == std::string_view::npos) continue;
    if (close > 0) {
      unsigned number = 0;
      if (rest[0] != ' ' || !ParseNumber(rest.substr(1, close - 1), number) || number < 2) continue;
      sequence = static_cast<int>(number);
    }
    const std::string_view extension = rest.substr(close + 1);
    std::string fileName(name.substr(0, open));
    fileName += extension;
    // The extension must be the one the name's own split gives back.
    if (StemAndExtension(fileName).second != extension) continue;
    return VersionName{std::move(fileName), *time, sequence};
  }
  return std::nullopt;
}

std::vector<Version> AllVersionsIn(const std::string& folder) {
  std::vector<Version> versions;
  DirectorySearch search;
  FindData data;
  const std::string pattern = folder + kPathSeparator + "*";
  if (search.Start(pattern.c_str(), data)) return versions;
  std::vector<std::string> folders;
  std::error_code ended;
  do {
    const std::string_view name = data.cFileName;
    const std::string path = folder + kPathSeparator + std::string(name);
    if (IsFolderNotLink(data)) {
      if (name != "." && name != "..") folders.push_back(path);
      continue;
    }
    if (const std::optional<VersionName> parsed = ParseVersionFileName(name)) {
      FileIdentity identity;
      IdentifyFile(path.c_str(), identity);
      versions.push_back({path, parsed->takenAt, parsed->sequence, identity.size});
    }
  } while (search.Next(data, ended));
  search.Close();
  for (const std::string& below : folders) {
    std::vector<Version> more = AllVersionsIn(below);
    versions.insert(versions.end(), std::make_move_iterator(more.begin()),
                    std::make_move_iterator(more.end()));
  }
  return versions;
}

std::optional<std::string> VersionPathIn(const std::string& store, std::string_view recordedPath,
                                         std::int64_t takenAt, int sequence) {
  const std::optional<std::string> below = PartsBelowRoot(recordedPath);
  if (!below) return std::nullopt;
  const std::string_view fileName = FindFileName(*below);
  const auto [stem, extension] = StemAndExtension(fileName);
  std::string path = store;
  path += kVersionsFolderName;
  path += kPathSeparator;
  path.append(*below, 0, below->size() - fileName.size());
  path += stem;
  path += " (";
  path += VersionTimeText(takenAt);
  path += kUtc;
  if (sequence > 1) path += " " + std::to_string(sequence);
  path += ")";
  path += extension;
  return path;
}

std::error_code KeepAsVersion(const std::string& store, const std::string& current,
                              std::string_view recordedPath, std::int64_t takenAt,
                              std::string* kept) {
  for (int sequence = 1; sequence < 1000; ++sequence) {
    const std::optional<std::string> version =
        VersionPathIn(store, recordedPath, takenAt, sequence);
    if (!version) return std::make_error_code(std::errc::invalid_argument);
    if (version->size() >= kMaxPath) return std::make_error_code(std::errc::filename_too_long);
    if (sequence == 1) {
      if (std::error_code error = CreatePrivateFolders(FolderPart(*version))) return error;
    }
    // Never over a name that has a file: another instance may have kept another file under
    // it a moment ago.
    const std::error_code named = AddNameIfFree(current, *version, store, nullptr);
    if (named && named != std::errc::file_exists) return named;
    // Kept already (by a clean cut short before it replaced the copy, or by another
    // instance): once is enough.
    FileIdentity existing, keeping;
    if (!named ||
        (!IdentifyFile(version->c_str(), existing) && !IdentifyFile(current.c_str(), keeping) &&
         existing.device == keeping.device && existing.index == keeping.index)) {
      if (kept != nullptr) *kept = *version;
      return {};
    }
  }
  return std::make_error_code(std::errc::file_exists);
}

std::vector<Version> VersionsOf(const std::string& store, std::string_view recordedPath) {
  std::vector<Version> versions;
  const std::optional<std::string> sample = VersionPathIn(store, recordedPath, 0);
  if (!sample) return versions;
  const std::string folder = FolderPart(*sample);
  const std::string fileName(FindFileName(recordedPath));
  DirectorySearch search;
  FindData data;
  const std::string pattern = folder + kPathSeparator + "*";
  if (search.Start(pattern.c_str(), data)) return versions;
  std::error_code ended;
  do {
    Version version{folder + kPathSeparator + data.cFileName, 0, 1, 0};
    if (IsFolderNotLink(data) ||
        !ParseVersionName(data.cFileName, fileName, version.takenAt, version.sequence)) {
      continue;
    }
    CFile file;
    if (file.Open(version.path, CFile::modeRead | CFile::shareDenyNone)) {
      version.size = file.GetLength();
    }
    versions.push_back(std::move(version));
  } while (search.Next(data, ended));
  std::sort(versions.begin(), versions.end(), [](const Version& a, const Version& b) {
    return a.takenAt != b.takenAt ? a.takenAt > b.takenAt : a.sequence > b.sequence;
  });
  return versions;
}

namespace {

// FNV-1a over the text, then mixed so that every input bit reaches every output bit.
std::string StampDigest(std::string_view stamp) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : stamp) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ull;
  }
  hash ^= hash >> 33;
  hash *= 0xff51afd7ed558ccdull;
  hash ^= hash >> 33;
  std::string text(16, '0');
  for (int digit = 15; digit >= 0; --digit, hash >>= 4) text[digit] = "0123456789abcdef"[hash & 15];
  return text;
}

}  // namespace

std::string TakenNoteText(const TakenNote& note) {
  return StampDigest(note.stamp) + "@" + std::to_string(note.takenAt);
}

bool TakenWithStamp(const TakenNote& note, std::string_view stamp) {
  return note.stamp == StampDigest(stamp) || note.stamp == stamp;
}

std::optional<TakenNote> ParseTakenNote(std::string_view text) {
  const std::size_t at = text.rfind('@');
  if (at == std::string_view::npos || at + 1 == text.size()) return std::nullopt;
  TakenNote note;
  note.stamp.assign(text.substr(0, at));
  const bool negative = text[at + 1] == '-';
  const std::string_view digits = text.substr(at + 1 + (negative ? 1 : 0));
  if (digits.empty() || digits.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  note.takenAt = negative ? -value : value;
  return note;
}

std::vector<Version> CopiesOf(const std::string& store, std::string_view recordedPath) {
  std::vector<Version> copies;
  EntryLook look;
  const std::optional<LinkCopy> link = OwnLinkCopy(store, recordedPath);
  const std::optional<std::string> own =
      link ? std::optional<std::string>(link->path) : OwnCopyPathIn(store, recordedPath);
  if (own && (link || (!LookAtEntry(own->c_str(), look) && look.kind == EntryKind::kRegular))) {
    Version latest{*own, 0, 1, 0, /*ownCopy=*/true, /*timeKnown=*/false};
    if (const std::optional<std::string> text = ReadFileNote(own->c_str(), kTakenNoteName)) {
      if (const std::optional<TakenNote> note = ParseTakenNote(*text)) {
        latest.takenAt = note->takenAt;
        latest.timeKnown = true;
      }
    }
    CFile file;
    if (file.Open(*own, CFile::modeRead | CFile::shareDenyNone)) latest.size = file.GetLength();
    copies.push_back(std::move(latest));
  }
  std::vector<Version> versions = VersionsOf(store, recordedPath);
  copies.insert(copies.end(), std::make_move_iterator(versions.begin()),
                std::make_move_iterator(versions.end()));
  return copies;
}

std::int64_t SecondsNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

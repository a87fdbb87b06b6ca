// Counting and clearing with std::filesystem: these run between timed runs, so clarity wins
// over speed here.
#include "bench/tree_census.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void Add(FileTally& tally, std::uint64_t bytes) {
  ++tally.files;
  tally.bytes += bytes;
}

}  // namespace

std::error_code CensusTree(const std::string& root, TreeCensus& census) {
  std::error_code error;
  fs::recursive_directory_iterator it(root, error);
  for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    const fs::file_status status = it->symlink_status(error);
    if (error) break;
    if (fs::is_directory(status)) {
      ++census.folders;
    } else if (fs::is_regular_file(status)) {
      const std::uint64_t bytes = it->file_size(error);
      if (error) break;
      Add(census.all, bytes);
      if (EndsWith(it->path().filename().string(), ".txt")) Add(census.txt, bytes);
    }
  }
  return error;
}

std::error_code TallyFolder(const std::string& folder, const std::string& suffix,
                            FileTally& tally) {
  std::error_code error;
  fs::directory_iterator it(folder, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    const fs::file_status status = it->symlink_status(error);
    if (error) break;
    if (!fs::is_regular_file(status) || !EndsWith(it->path().filename().string(), suffix)) {
      continue;
    }
    const std::uint64_t bytes = it->file_size(error);
    if (error) break;
    Add(tally, bytes);
  }
  return error;
}

std::error_code CountRecords(const std::string& path, std::uint64_t& records) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::make_error_code(std::errc::no_such_file_or_directory);
  records = 0;
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    for (std::streamsize i = 0; i < in.gcount(); ++i) records += buffer[i] == ';';
  }
  if (in.bad()) return std::make_error_code(std::errc::io_error);
  return {};
}

std::error_code RemoveTree(const std::string& path) {
  std::error_code error;
  fs::remove_all(path, error);
  return error;
}

std::error_code EmptyFolder(const std::string& folder) {
  std::error_code error = RemoveTree(folder);
  if (error) return error;
  fs::create_directories(folder, error);
  return error;
}

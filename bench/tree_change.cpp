// Files are read and rewritten a block at a time: the benchmark's own memory is what every
// program it starts begins with (measure.h), and its largest files are 16 MiB.
#include "bench/tree_change.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBlock = 64 * 1024;

}  // namespace

std::error_code DigestFile(const std::string& path, std::uint64_t& digest, std::uint64_t& size) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::make_error_code(std::errc::no_such_file_or_directory);
  digest = 0xcbf29ce484222325ull;
  size = 0;
  char block[kBlock];
  while (in.read(block, sizeof block) || in.gcount() > 0) {
    const std::size_t got = static_cast<std::size_t>(in.gcount());
    for (std::size_t i = 0; i < got; ++i) {
      digest = (digest ^ static_cast<unsigned char>(block[i])) * 0x100000001b3ull;
    }
    size += got;
  }
  return in.bad() ? std::make_error_code(std::errc::io_error) : std::error_code();
}

std::error_code PickFilesToChange(const std::string& tree, int round,
                                  std::vector<ChangedFile>& picked) {
  picked.clear();
  std::vector<std::string> paths;
  std::error_code error;
  fs::recursive_directory_iterator it(tree, error);
  for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_regular_file(error) && !it->is_symlink(error)) {
      paths.push_back(it->path().lexically_relative(tree).generic_string());
    }
  }
  if (error) return error;
  if (paths.empty()) return {};
  std::sort(paths.begin(), paths.end());
  const std::size_t count = (paths.size() + 99) / 100;
  const std::size_t stride = paths.size() / count;
  const std::size_t offset = static_cast<std::size_t>(round) * 37 % stride;
  for (std::size_t i = 0; i < count; ++i) {
    ChangedFile file;
    file.relativePath = paths[i * stride + offset];
    if ((error =
             DigestFile(tree + "/" + file.relativePath, file.previousDigest, file.previousSize))) {
      return error;
    }
    picked.push_back(std::move(file));
  }
  return {};
}

std::error_code ChangeFiles(const std::string& tree, const std::vector<ChangedFile>& files) {
  char block[kBlock];
  for (const ChangedFile& file : files) {
    std::fstream io(tree + "/" + file.relativePath,
                    std::ios::binary | std::ios::in | std::ios::out);
    if (!io) return std::make_error_code(std::errc::no_such_file_or_directory);
    for (std::streamoff at = 0;; at += static_cast<std::streamoff>(kBlock)) {
      io.seekg(at);
      io.read(block, sizeof block);
      const std::streamsize got = io.gcount();
      if (got <= 0) break;
      io.clear();
      std::transform(block, block + got, block, [](char byte) { return static_cast<char>(~byte); });
      io.seekp(at);
      io.write(block, got);
      if (got < static_cast<std::streamsize>(kBlock)) break;
    }
    io.clear();
    io.seekp(0, std::ios::end);
    io.put('\n');
    io.close();
    if (!io) return std::make_error_code(std::errc::io_error);
  }
  return {};
}

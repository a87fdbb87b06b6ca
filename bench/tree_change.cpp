// The files are read whole into memory to be rewritten: the benchmark's largest is 16 MiB.
#include "bench/tree_change.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::error_code ReadWhole(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::make_error_code(std::errc::no_such_file_or_directory);
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return in.bad() ? std::make_error_code(std::errc::io_error) : std::error_code();
}

}  // namespace

std::error_code DigestFile(const std::string& path, std::uint64_t& digest, std::uint64_t& size) {
  std::string bytes;
  if (std::error_code error = ReadWhole(path, bytes)) return error;
  digest = 0xcbf29ce484222325ull;
  for (const char byte : bytes) {
    digest = (digest ^ static_cast<unsigned char>(byte)) * 0x100000001b3ull;
  }
  size = bytes.size();
  return {};
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
    if ((error = DigestFile(tree + "/" + file.relativePath, file.previousDigest,
                            file.previousSize))) {
      return error;
    }
    picked.push_back(std::move(file));
  }
  return {};
}

std::error_code ChangeFiles(const std::string& tree, const std::vector<ChangedFile>& files) {
  for (const ChangedFile& file : files) {
    const std::string path = tree + "/" + file.relativePath;
    std::string bytes;
    if (std::error_code error = ReadWhole(path, bytes)) return error;
    for (char& byte : bytes) byte = static_cast<char>(~byte);
    bytes.push_back('\n');
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) return std::make_error_code(std::errc::io_error);
  }
  return {};
}

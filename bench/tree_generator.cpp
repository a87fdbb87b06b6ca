// Plans and writes the benchmark trees. Every choice comes from std::mt19937_64, whose output
// the C++ standard fixes, reduced with plain arithmetic (the standard distributions differ
// between library versions and would change the trees).
#include "bench/tree_generator.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

namespace {

constexpr std::uint64_t kKiB = 1024;
constexpr std::uint64_t kMiB = 1024 * kKiB;
constexpr const char* kOtherExtensions[] = {".dat", ".c", ".log", ".bin", ".html", ""};
constexpr std::uint64_t kOtherExtensionCount = std::size(kOtherExtensions);

// A value in [0, bound); bound > 0. The bias of the modulo is far below anything measured.
std::uint64_t Below(std::mt19937_64& rng, std::uint64_t bound) { return rng() % bound; }

std::string Numbered(char prefix, std::uint32_t number) {
  char name[32];
  std::snprintf(name, sizeof name, "%c%06u", prefix, number);
  return name;
}

std::error_code LastError() { return {errno, std::generic_category()}; }

std::error_code WriteWhole(const std::string& path, const unsigned char* bytes,
                           std::uint64_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return LastError();
  std::uint64_t done = 0;
  while (done < size) {
    const ssize_t written = ::write(fd, bytes + done, size - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      const std::error_code error =
          written < 0 ? LastError() : std::make_error_code(std::errc::io_error);
      ::close(fd);
      return error;
    }
    done += static_cast<std::uint64_t>(written);
  }
  if (::close(fd) != 0) return LastError();
  return {};
}

}  // namespace

TreeShape ManySmallFilesShape() { return {"many-small", 1000, 6, 20000, 0, 64 * kKiB, 1, 3}; }

TreeShape FewSmallFilesShape() { return {"few-small", 100, 6, 2000, 0, 64 * kKiB, 1, 3}; }

TreeShape LargeFilesShape() { return {"large", 0, 0, 40, 16 * kMiB, 16 * kMiB, 1, 2}; }

TreeShape WideFlatShape() { return {"wide-flat", 0, 0, 50000, 0, 1 * kKiB, 1, 3}; }

TreePlan PlanTree(const TreeShape& shape, std::uint64_t seed) {
  std::mt19937_64 rng(seed);
  TreePlan plan;
  plan.poolSize = shape.maxSize + 1 * kMiB;

  // Index 0 stands for the top folder; paths[i] is relative to it.
  std::vector<std::string> paths{""};
  std::vector<std::uint32_t> depths{0};
  std::vector<std::uint32_t> canHoldChildren;  // indexes of folders above maxDepth
  if (shape.maxDepth > 0) canHoldChildren.push_back(0);
  for (std::uint32_t i = 1; i <= shape.folders && !canHoldChildren.empty(); ++i) {
    const std::uint32_t parent = canHoldChildren[Below(rng, canHoldChildren.size())];
    const std::string name = Numbered('d', i);
    paths.push_back(parent == 0 ? name : paths[parent] + "/" + name);
    depths.push_back(depths[parent] + 1);
    if (depths.back() < shape.maxDepth) canHoldChildren.push_back(i);
  }
  plan.folders.assign(paths.begin() + 1, paths.end());
  plan.folderDepths.assign(depths.begin() + 1, depths.end());

  plan.files.reserve(shape.files);
  const std::uint64_t sizeSpan = shape.maxSize - shape.minSize + 1;
  for (std::uint32_t i = 0; i < shape.files; ++i) {
    PlannedFile file;
    // Spreads the .txt names evenly so that their count is exact whatever the total.
    const std::uint64_t before = std::uint64_t{i} * shape.txtNumerator / shape.txtDenominator;
    const std::uint64_t after = std::uint64_t{i + 1} * shape.txtNumerator / shape.txtDenominator;
    file.txt = after > before;
    const std::uint64_t folder = Below(rng, paths.size());
    const std::uint64_t extension = Below(rng, kOtherExtensionCount);
    std::string name = Numbered('f', i) + (file.txt ? ".txt" : kOtherExtensions[extension]);
    file.relativePath = folder == 0 ? name : paths[folder] + "/" + name;
    file.size = shape.minSize + Below(rng, sizeSpan);
    file.contentOffset = Below(rng, plan.poolSize - file.size + 1);
    plan.files.push_back(std::move(file));
  }
  return plan;
}

std::vector<unsigned char> MakeContentPool(std::uint64_t size, std::uint64_t seed) {
  std::mt19937_64 rng(seed ^ 0xC0FFEE0DDBA11ull);
  std::vector<unsigned char> pool(size);
  for (std::uint64_t i = 0; i < size; i += 8) {
    std::uint64_t word = rng();
    for (std::uint64_t b = i; b < i + 8 && b < size; ++b, word >>= 8) {
      pool[b] = static_cast<unsigned char>(word);
    }
  }
  return pool;
}

std::error_code WriteTree(const TreePlan& plan, const std::string& root, std::uint64_t seed) {
  if (::mkdir(root.c_str(), 0755) != 0) return LastError();
  for (const std::string& folder : plan.folders) {
    if (::mkdir((root + "/" + folder).c_str(), 0755) != 0) return LastError();
  }
  const std::vector<unsigned char> pool = MakeContentPool(plan.poolSize, seed);
  for (const PlannedFile& file : plan.files) {
    if (file.contentOffset + file.size > pool.size()) {
      return std::make_error_code(std::errc::invalid_argument);
    }
    const std::error_code error =
        WriteWhole(root + "/" + file.relativePath, pool.data() + file.contentOffset, file.size);
    if (error) return error;
  }
  return {};
}

std::string DescribeShape(const TreeShape& shape, std::uint64_t seed) {
  char line[256];
  std::snprintf(line, sizeof line,
                "tree-v1 %s folders=%u depth=%u files=%u size=%llu..%llu txt=%u/%u seed=%llx",
                shape.name.c_str(), shape.folders, shape.maxDepth, shape.files,
                static_cast<unsigned long long>(shape.minSize),
                static_cast<unsigned long long>(shape.maxSize), shape.txtNumerator,
                shape.txtDenominator, static_cast<unsigned long long>(seed));
  return line;
}

// Fuzz target for the backup filter: for any file name and Files text, the filter passes
// exactly when the text is empty or "*.*", or the two extensions are equal byte for byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/backup_store.h"

namespace {

// The extension of the last name part: from its last '.', or empty.
std::string_view Extension(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t split = data[0] % (input.size() + 1);
  // The walk hands the filter a bare name, which holds neither a separator nor a zero byte.
  std::string name(input.substr(0, split));
  for (char& c : name) {
    if (c == '/' || c == '\0') c = '_';
  }
  g_strFilter.assign(input.substr(split));

  const bool expected =
      g_strFilter.empty() || g_strFilter == "*.*" || Extension(name) == Extension(g_strFilter);
  if (PassesBackupFilter(name.c_str()) != expected) std::abort();
  // Case matters: a name whose extension differs only in case from the filter's is refused.
  const std::string_view ext = Extension(g_strFilter);
  if (!ext.empty() && g_strFilter != "*.*") {
    std::string other(ext);
    bool changed = false;
    for (char& c : other) {
      if (c >= 'a' && c <= 'z') {
        c = static_cast<char>(c - 'a' + 'A');
        changed = true;
      }
    }
    if (changed && PassesBackupFilter(("x" + other).c_str())) std::abort();
  }
  return 0;
}

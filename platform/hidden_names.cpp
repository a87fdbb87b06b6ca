// Hidden names from a generator of each thread's own, seeded from the system's entropy.
#include "platform/hidden_names.h"

#include <atomic>
#include <cstdint>
#include <random>

#include "platform/path_parts.h"
#include "platform/platform_files.h"

namespace {

// Raised in a forked child, whose copy of its parent's generator would otherwise draw the very
// names its parent draws; a generator seeded under an older value seeds itself again.
std::atomic<unsigned> s_seeding{1};

void Reseed() { s_seeding.fetch_add(1, std::memory_order_relaxed); }

}  // namespace

bool HiddenNameIn(std::string_view folder, std::string_view name, std::string& hidden) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::uint64_t state = 0;
  thread_local unsigned seededUnder = 0;  // never: s_seeding starts above it
  const unsigned seeding = s_seeding.load(std::memory_order_relaxed);
  if (seededUnder != seeding) {
    [[maybe_unused]] static const bool watchingForks = (RunInForkedChildren(&Reseed), true);
    std::random_device entropy;
    state = (std::uint64_t{entropy()} << 32) ^ entropy();
    seededUnder = seeding;
  }
  hidden.assign(folder);
  if (!hidden.empty() && hidden.back() != kPathSeparator) hidden += kPathSeparator;
  hidden += '.';
  hidden.append(name.substr(0, 200));
  hidden += '.';
  for (int i = 0; i < 6; ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    hidden += kLetters[(state >> 33) % (sizeof kLetters - 1)];
  }
  return hidden.size() < kMaxPath;
}

// A set of strings in fixed memory: it may say "seen" of a string it was never given, never
// "not seen" of one it was. Good for guesses where a wrong "seen" only costs a little time,
// and where the memory of a clean must stay the same whatever the size of the tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class SeenStrings {
 public:
  // bits: the set's size; the more strings it is given, the more bits keep its guesses right.
  explicit SeenStrings(std::size_t bits) : m_words((bits + 63) / 64) {}

  // Adds text; returns whether it may have been added before.
  bool Add(std::string_view text);
  bool MayContain(std::string_view text) const;

 private:
  std::size_t BitOf(std::string_view text) const;

  std::vector<std::uint64_t> m_words;
};

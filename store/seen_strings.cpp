// One bit per string, at a place its hash gives.
#include "store/seen_strings.h"

#include <functional>

std::size_t SeenStrings::BitOf(std::string_view text) const {
  return std::hash<std::string_view>()(text) % (m_words.size() * 64);
}

bool SeenStrings::Add(std::string_view text) {
  const std::size_t bit = BitOf(text);
  std::uint64_t& word = m_words[bit / 64];
  const std::uint64_t mask = std::uint64_t{1} << (bit % 64);
  const bool seen = (word & mask) != 0;
  word |= mask;
  return seen;
}

bool SeenStrings::MayContain(std::string_view text) const {
  const std::size_t bit = BitOf(text);
  return (m_words[bit / 64] & (std::uint64_t{1} << (bit % 64))) != 0;
}

// Reading the times `restore --as-of` takes, by way of the versions' own time format.
#include "cli/as_of_time.h"

#include <string>

#include "store/versions.h"

std::optional<std::int64_t> ParseAsOfTime(std::string_view text) {
  if (text.size() == 10) {
    // A whole day: as of its last second.
    const std::optional<std::int64_t> start = ParseVersionTime(std::string(text) + " 000000");
    if (!start) return std::nullopt;
    return *start + 86399;
  }
  if (text.size() < 16 || (text[10] != ' ' && text[10] != 'T')) return std::nullopt;
  const std::string_view date = text.substr(0, 10);
  const std::string_view clock = text.substr(11);
  std::string digits;
  bool seconds = false;
  if (clock.size() == 6) {
    digits = clock;  // HHMMSS
    seconds = true;
  } else if (clock.size() == 5 && clock[2] == ':') {
    digits = std::string(clock.substr(0, 2)) + std::string(clock.substr(3, 2)) + "00";
  } else if (clock.size() == 8 && clock[2] == ':' && clock[5] == ':') {
    digits = std::string(clock.substr(0, 2)) + std::string(clock.substr(3, 2)) +
             std::string(clock.substr(6, 2));
    seconds = true;
  } else {
    return std::nullopt;
  }
  const std::optional<std::int64_t> time = ParseVersionTime(std::string(date) + " " + digits);
  if (!time) return std::nullopt;
  // A minute without its seconds covers the whole minute.
  return seconds ? *time : *time + 59;
}

// The times `restore --as-of` takes, all in UTC: a date ("2026-12-07", the end of that day),
// or a date and a time of day ("2026-12-07 22:15", "2026-12-07T22:15:03", or
// "2026-12-07 221503" as the versions' names spell it).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Seconds since 1970-01-01 UTC: the last second the text covers. Nothing for any other text.
std::optional<std::int64_t> ParseAsOfTime(std::string_view text);

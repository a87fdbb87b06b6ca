// What the platforms' path parts share: joining parts with single separators, and the
// folder part of a path.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// prefix, then each non-empty part of rest, all joined by single separators (prefix may be
// empty). Nothing when rest has no part, or a part is "." or "..".
std::optional<std::string> JoinPartsBelow(std::string prefix, std::string_view rest);

// path with every run of separators taken as one.
std::string CollapseSeparators(std::string_view path);

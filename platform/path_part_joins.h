// What the platforms' path parts share: joining parts with single separators, resolving "."
// and ".." parts, and the folder part of a path.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// prefix, then each non-empty part of rest, all joined by single separators (prefix may be
// empty). Nothing when rest has no part, or a part is "." or "..".
std::optional<std::string> JoinPartsBelow(std::string prefix, std::string_view rest);

// path with every run of separators taken as one.
std::string CollapseSeparators(std::string_view path);

// start, then the parts of rest resolved lexically and joined by single separators: empty and
// "." parts dropped, ".." taking off the part before it. A ".." with no part before it is
// dropped when rooted (nothing is above a root) and kept otherwise. start is the root when
// rooted (/, C:\ or \\server\share), else empty or a drive's C: alone; an empty start with no
// part left gives ".". isSeparator tells which characters separate parts.
std::string ResolveParts(std::string start, bool rooted, std::string_view rest,
                         bool (*isSeparator)(char));

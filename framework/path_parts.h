// Pure string operations on paths: wildcard match, extension, file name and folder part.
// They never touch the file system. The separator is '/'.
#pragma once

#include <string_view>

inline constexpr char kPathSeparator = '/';

// MS-DOS style match of the whole text: '*' any run of characters, '?' exactly one, letters
// compared without regard to ASCII case. A pattern ending in ".*" also matches a text with no
// extension, so "*.*" matches every name.
bool MatchesWildcard(std::string_view text, std::string_view pattern);

// The extension of the last name part of a path: from its last '.', dot included, or an empty
// view (pointing at the end of the path) when there is none.
std::string_view FindExtension(std::string_view path);

// The part after the last separator (the whole path when it has none).
std::string_view FindFileName(std::string_view path);

// Cuts the file name and its separator off a zero-terminated path, in place. "/a/b" becomes
// "/a", "/a" becomes "/", "a" becomes "". Returns true when something was removed.
bool RemoveFileSpec(char* path);

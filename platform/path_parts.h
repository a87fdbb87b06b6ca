// Pure string operations on paths: wildcard match, extension, file name and folder part.
// They never touch the file system. path_parts_posix.cpp implements them for '/' paths,
// path_parts_win32.cpp hands them to the platform's own path functions (shlwapi).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// MS-DOS style match of the whole text: '*' any run of characters, '?' exactly one, letters
// compared without regard to ASCII case. A pattern ending in ".*" also matches a text with no
// extension, so "*.*" matches every name. On Windows the platform's match also takes a list
// of patterns separated by ';' and matches when any of them does.
bool MatchesWildcard(std::string_view text, std::string_view pattern);

// The extension of the last name part of a path: from its last '.', dot included, or an empty
// view (pointing at the end of the path) when there is none.
std::string_view FindExtension(std::string_view path);

// The part after the last separator (the whole path when it has none).
std::string_view FindFileName(std::string_view path);

// Cuts the file name and its separator off a zero-terminated path, in place. "/a/b" becomes
// "/a", "/a" becomes "/", "a" becomes "" (on Windows "C:\\a\\b" becomes "C:\\a" and "C:\\a"
// becomes "C:\\"). Returns true when something was removed.
bool RemoveFileSpec(char* path);
// The same cut on a copy: the folder part of path, as RemoveFileSpec leaves it.
std::string FolderPart(std::string_view path);

// Where an absolute path lies, as a relative path: its parts below the root joined by single
// separators, so doubled separators name the same place as single ones. "/home//me/a.txt"
// gives "home/me/a.txt"; on Windows C:\Users\\me\a.txt gives C\Users\me\a.txt (the drive
// letter as a folder) and \\server\share\a.txt gives UNC\server\share\a.txt. Nothing for a
// relative path, a root alone, or a path with a "." or ".." part, whose parts alone do not
// tell where it leads.
std::optional<std::string> PartsBelowRoot(std::string_view path);
// The absolute path whose PartsBelowRoot are parts: "home/me/a.txt" gives "/home/me/a.txt"; on
// Windows C\Users\a.txt gives C:\Users\a.txt and UNC\server\share\a.txt gives
// \\server\share\a.txt. Nothing for parts that PartsBelowRoot never gives (empty, or on
// Windows a first part that is neither a drive letter nor UNC with a server and a share).
std::optional<std::string> PathFromPartsBelowRoot(std::string_view parts);

// path resolved lexically, as a shell's cd resolves it, without following links: "." parts and
// doubled separators dropped, each ".." taking off the part before it, no separator at the end
// but the root's own. Nothing climbs above a root ("/.." is "/"); a relative path keeps the ".."
// parts that lead above its start, and is "." when nothing else is left. An empty path stays
// empty. On Windows both \ and / separate parts and \ joins them; the root kept is a drive's
// C:\, a share's \\server\share or the current drive's \ alone; C:x stays relative to drive C;
// the \\?\ and \\.\ forms, which the system takes literally, are left as they are.
std::string NormalPath(std::string_view path);

// True when a and b name the same path as the file system reads them: doubled separators
// count as one, and on Windows letters are compared without regard to case.
bool IsSamePath(std::string_view a, std::string_view b);

// Where a path leads, beyond one file: making it absolute, telling a folder from a file,
// whether a folder takes new files, the user's home folder, and creating the folders on the way to
// a path. Failures come back as std::error_code values; nothing throws.
#pragma once

#include <string>
#include <system_error>

// True when path names the same item whatever the current folder is.
bool IsAbsolutePath(const std::string& path);

// Puts a relative path after the current folder, so that it names the same item whatever
// folder the program runs in later, then resolves it as NormalPath does (path_parts.h): "."
// and ".." parts, doubled separators and a trailing separator go, so that the path says where
// it lies by its parts alone. On Windows one pair of double quotes around the whole path goes
// first. On failure (the current folder cannot be read) returns the error and leaves path
// unchanged.
std::error_code MakeAbsolute(std::string& path);

// True when path names an existing folder, or a link to one.
bool IsFolder(const std::string& path);
// True when path names an existing regular file, or a link to one.
bool IsRegularFile(const std::string& path);
// True only when the platform says nothing is there: no item of that name, or a folder on the
// way to it missing. False when something is there, even a broken link, and when the
// platform cannot tell (a folder on the way that may not be searched, a file on the way).
bool IsMissing(const std::string& path);

// True when a new file can be made in folder now: a file is made there and removed again.
// False for a folder that is missing, read-only, on read-only media or closed to this user.
bool FolderTakesNewFiles(const std::string& folder);

// The user's home folder; the root folder when the platform knows none.
std::string HomeFolder();

// Creates each missing folder on the way to the folder that holds path (not path itself),
// with the user's default permissions. Folders already there are left alone; a link on the way
// that leads nowhere has the folder it names made (on POSIX). Returns the
// first failure, for instance when a part of the way is a file; the folders made before it
// stay.
std::error_code CreateParentFolders(const std::string& path);

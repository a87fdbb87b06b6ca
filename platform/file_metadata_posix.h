// What a copy keeps of its source besides the bytes, on POSIX: the owner and group where the
// process may give them, every mode bit, the user's extended attributes, the access control
// list and the times.
#pragma once

#include <sys/stat.h>

#include <system_error>

// Gives out, a new file holding a copy of in's contents that no other name sees yet, the rest
// of what in has (st is in's status, taken before its contents were read):
// - owner and group, where the process may set them (as root, or a group of its own); a
//   refusal is no failure, but then the set-user-ID bit (owner) or the set-group-ID bit
//   (group) is not given either, as cp -p does, since it would give another user's rights;
// - every mode bit, set-user-ID, set-group-ID and sticky included;
// - the extended attributes of the "user." namespace, except the program's own notes (names
//   beginning with kNoteNamePrefix, see platform_files.h), which a copy never takes from its
//   source: they belong to the store that wrote them;
// - the POSIX access control list, where the file system has one;
// - the access and modification times, last, so that nothing after them moves them.
// Attributes and a list the destination's file system cannot hold are left out, as are the
// "security." and "trusted." namespaces, which belong to the system's policies.
std::error_code CopyFileMetadata(int in, const struct stat& st, int out);

// The bytes of a regular file into a new one, the way the file system keeps them: shared
// blocks where it can share them, holes where the source has holes.
#pragma once

#include <sys/stat.h>

#include <system_error>

// Copies the whole of in, whose status is st, into out, which is empty. Where the file system
// shares blocks between files (btrfs, XFS) the copy shares them; a file with holes (fewer
// blocks than its size asks for) keeps them, so a mostly empty disk image takes no more room
// in the copy than in the source; any other file is copied from where in stands.
std::error_code CopyFileContents(int in, int out, const struct stat& st);

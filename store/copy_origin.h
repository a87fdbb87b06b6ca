// A copy's origin: the path its contents were last taken from, kept with the copy itself so
// that the layout of the backups folder and the format of list.txt stay as they are. Files of
// the same name share one copy; the origin tells which of them the copy holds now.
#pragma once

#include <optional>
#include <string>

#include "platform/file_copies.h"
#include "platform/platform_files.h"

// The note that records source as the origin of a copy; it refers to source's text.
FileNote OriginNoteOf(const char* source);

// The origin recorded with the open copy, or nothing for a copy without one (made before
// origins were kept, or on a file system that cannot hold them).
std::optional<std::string> OriginOf(const SourceFile& copy);

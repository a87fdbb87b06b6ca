// Reading list.txt whole, and rewriting it while other instances of the program may append to
// it or rewrite it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <system_error>

#include "platform/file.h"

// Takes the store's lock on the folder of the list at listPath, reads the list whole as it
// is now, and replaces it with what compose makes of those contents; compose returns nothing
// to leave the list as it is. The new list is put in place in one step and is on disk when
// this returns.
// The lock is released before returning; nothing that waits on the user may run inside
// compose, which is not called when the list cannot be read whole. On failure returns why,
// and the list is as it was.
std::error_code RewriteList(const std::string& listPath,
                            const std::function<std::optional<std::string>(std::string)>& compose);

// Reads everything the open list holds from where it stands to its end into contents, however
// long: reading on past the length seen at the start keeps whatever is appended meanwhile.
// A read that fails is not the end of the list: returns why, and contents then holds only
// what came before it, which no caller may take for the whole list.
std::error_code ReadListContents(CFile& list, std::string& contents);

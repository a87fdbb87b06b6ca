// The report of what the last clean could not protect, kept in the store beside list.txt so
// that it can be read after the window that showed it is gone.
//
// Format: UTF-8 (or the system's code page) text, one item per line: the path, a tab, the
// reason. Control characters inside a path (a tab or a line break in a file name) are written
// as \xHH so that every item stays on its line.
#pragma once

#include <string>
#include <system_error>
#include <vector>

struct UnprotectedItem {
  std::string path;
  std::string reason;
};

// The report's text for items, as the file holds it.
std::string FormatUnprotectedReport(const std::vector<UnprotectedItem>& items);

// Replaces the report in the store folder store (ending with a separator) in one step,
// private to the user; with no items, removes the report of an earlier clean.
std::error_code WriteUnprotectedReport(const std::string& store,
                                       const std::vector<UnprotectedItem>& items);

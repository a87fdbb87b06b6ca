// The store as the command line reads it: where it is, the entries of list.txt in file order
// (as the restoration list shows them), whether an entry still has a copy, and which entries
// lie under a folder.
#pragma once

#include <optional>
#include <string>
#include <system_error>
#include <vector>

struct StoreList {
  std::string store;     // the backups folder, ending with a separator
  std::string listPath;  // its list.txt
  std::string contents;  // the whole file as read
  std::vector<std::string> entries;
};

// Reads the store's list. A store or list not made yet is an empty list, not a failure; a
// list that cannot be read, or holds text but no ";", is (std::errc::illegal_byte_sequence
// for the latter).
std::error_code ReadStoreList(StoreList& list);

// The path a typed ENTRY names in the store: an entry of the list exactly as typed, else the
// typed path made absolute and resolved (MakeAbsolute), which finds its copies (store_layout.h,
// versions.h) whether or not it is still in the list.
std::string TypedStorePath(const StoreList& list, const std::string& typed);

// True when entry has a copy to come back from: its own, or the shared one of its name.
bool HasCopy(const std::string& store, const std::string& entry);

// The folder a --under option names, ready for LiesUnder: made absolute and resolved
// (MakeAbsolute), as its parts below the root ("" for "/", the letter for a drive's root).
// Nothing when the current folder cannot be read.
std::optional<std::string> UnderFolder(std::string folder);
// True when entry lies in folder (from UnderFolder) or below it; doubled separators count as
// one, and on Windows, where paths ignore case, case does not count.
bool LiesUnder(const std::string& entry, const std::string& folder);

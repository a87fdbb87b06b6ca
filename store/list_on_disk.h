// A front end's picture of list.txt as it last read or wrote it, so that a rewrite keeps
// whatever other instances appended since and drops only the entry restored.
#pragma once

#include <list>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

class ListOnDisk {
 public:
  // The list at path, whose whole contents the front end just loaded.
  void Loaded(std::string path, std::string contents);
  bool IsLoaded() const { return !m_path.empty(); }

  // Rewrites the list without the occurrence of entry that the front end dropped from its
  // own list, under the store's lock and from the list as it is now (see Compose). An entry
  // that another instance removed meanwhile leaves the file as it is, and the picture is
  // then the file as it is now. On failure returns why; the list is then as it was.
  std::error_code Remove(const std::string& entry);
  // As Remove, for many entries in one rewrite: one occurrence for each time an entry is
  // given. Entries that another instance removed meanwhile are passed over; when none is
  // left to remove, the file stays as it is. All or nothing: on failure the list is as it was.
  std::error_code RemoveAll(const std::vector<std::string>& entries);

  // What list.txt must hold once the occurrences of restored that the front end dropped
  // (one for each time an entry is given) are gone, given what the file holds now. Entries
  // go out in the order of the front end's own list, whose head is the latest entry of the
  // file, so a first rewrite after a load reverses the file; records that other instances
  // appended since are taken in, latest first, ahead of them. A file that another instance
  // rewrote since is taken as it is now. No text when none of the entries is in the file any
  // more: there is nothing to rewrite.
  // Changes nothing here: the picture follows the file only once the new list is in place,
  // so that a rewrite that fails leaves it as the file still is.
  struct Rewrite {
    std::optional<std::string> text;
    // How many entries at the head of text came from other instances.
    std::size_t appended = 0;
  };
  Rewrite Compose(const std::string& current, const std::vector<std::string>& restored) const;

 private:
  void Restart(std::string contents);
  // The picture once text is what the file holds, appended of its head entries being other
  // instances'.
  void Wrote(std::string text, std::size_t appended);

  std::string m_path;
  std::string m_known;  // the file's contents as last read or written here
  // True while m_known is a load, whose entries the next rewrite writes in reverse.
  bool m_reversed = true;
  // How many entries at the head of the next rewrite came from other instances since the
  // load: the front end's list has none of them, so no restore removes one.
  std::size_t m_appended = 0;
};

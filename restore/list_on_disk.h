// The restoration dialog's picture of list.txt as it last read or wrote it, so that a rewrite
// keeps whatever other instances appended since and drops only the entry restored.
#pragma once

#include <list>
#include <optional>
#include <string>

class ListOnDisk {
 public:
  // The whole contents the dialog just loaded.
  void Loaded(std::string contents);

  // What list.txt must hold once the occurrence of restored that the dialog dropped is gone,
  // given what the file holds now. Entries go out in the order of the dialog's own list,
  // whose head is the latest entry of the file, so a first rewrite after a load reverses the
  // file; records that other instances appended since are taken in, latest first, ahead of
  // them. A file that another instance rewrote since is taken as it is now. Nothing when the
  // entry is not in the file any more: there is nothing to rewrite.
  std::optional<std::string> Compose(const std::string& current, const std::string& restored);

  // Records that the text Compose made is now the file.
  void Written(std::string text);

 private:
  std::string m_known;  // the file's contents as last read or written here
  // True while m_known is a load, whose entries the next rewrite writes in reverse.
  bool m_reversed = true;
  // How many entries at the head of the next rewrite came from other instances since the
  // load: the dialog's list has none of them, so no restore removes one.
  std::size_t m_appended = 0;
};

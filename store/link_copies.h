// Finding the own copy of a path that is a symbolic link, below "links" (store_layout.h). A
// link kept there may lead anywhere: a name below it is never taken for one of the store's.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/entry_links.h"

struct LinkCopy {
  std::string path;
  EntryLook look;
};

// The own copy of recordedPath in the store folder store (ending with a separator) when it is
// a link with only the store's own folders on the way to it; nothing otherwise.
std::optional<LinkCopy> OwnLinkCopy(const std::string& store, std::string_view recordedPath);

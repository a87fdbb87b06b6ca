// The platform's icons (HICON) made from the program's own icon pictures, made once per
// picture and size and destroyed with the cache.
#pragma once

#include <map>
#include <utility>

#include "framework/dialog_template.h"
#include "framework/windows_api.h"

class IconHandles {
 public:
  IconHandles() = default;
  ~IconHandles();
  IconHandles(const IconHandles&) = delete;
  IconHandles& operator=(const IconHandles&) = delete;

  // The icon's picture closest to size pixels, as an HICON owned by this cache; null when
  // the platform refuses it.
  HICON For(const Icon& icon, int size);

 private:
  std::map<std::pair<const Icon*, int>, HICON> m_handles;
};

// An HICON of exactly one picture (0xAARRGGBB rows, top down). The caller destroys it.
HICON CreateIconFromImage(const IconImage& image);

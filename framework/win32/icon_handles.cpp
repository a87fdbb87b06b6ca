// Icon pictures to HICONs: a 32-bit top-down colour bitmap with its alpha, and a mask.
#include "icon_handles.h"

#include <cstring>
#include <vector>

IconHandles::~IconHandles() {
  for (const auto& entry : m_handles) ::DestroyIcon(entry.second);
}

HICON IconHandles::For(const Icon& icon, int size) {
  const auto key = std::make_pair(&icon, size);
  auto found = m_handles.find(key);
  if (found != m_handles.end()) return found->second;
  HICON handle = CreateIconFromImage(icon.BestFor(size));
  if (handle != nullptr) m_handles.emplace(key, handle);
  return handle;
}

HICON CreateIconFromImage(const IconImage& image) {
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = image.width;
  header.bV5Height = -image.height;  // rows top down, as the picture holds them
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC screen = ::GetDC(nullptr);
  HBITMAP colour = ::CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
  ::ReleaseDC(nullptr, screen);
  if (colour == nullptr) return nullptr;
  std::memcpy(bits, image.pixels.data(), image.pixels.size() * sizeof image.pixels[0]);
  // With a colour bitmap that has alpha, the mask only has to exist.
  const std::vector<std::uint8_t> maskBits(
      static_cast<std::size_t>((image.width + 15) / 16 * 2) * image.height, 0);
  HBITMAP mask = ::CreateBitmap(image.width, image.height, 1, 1, maskBits.data());
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = colour;
  info.hbmMask = mask;
  HICON icon = ::CreateIconIndirect(&info);
  ::DeleteObject(colour);
  ::DeleteObject(mask);
  return icon;
}

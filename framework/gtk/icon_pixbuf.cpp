// Conversion of icon pixels into GDK pixbufs and cairo surfaces.
#include "icon_pixbuf.h"

#include <gdk/gdk.h>

#include <algorithm>
#include <cstddef>

std::vector<unsigned char> RgbaBytes(const IconImage& image) {
  const std::size_t count = image.width > 0 && image.height > 0
                                ? static_cast<std::size_t>(image.width) * image.height
                                : 0;
  std::vector<unsigned char> bytes(count * 4, 0);
  for (std::size_t i = 0; i < count && i < image.pixels.size(); ++i) {
    const std::uint32_t argb = image.pixels[i];
    bytes[i * 4 + 0] = static_cast<unsigned char>((argb >> 16) & 0xFF);
    bytes[i * 4 + 1] = static_cast<unsigned char>((argb >> 8) & 0xFF);
    bytes[i * 4 + 2] = static_cast<unsigned char>(argb & 0xFF);
    bytes[i * 4 + 3] = static_cast<unsigned char>((argb >> 24) & 0xFF);
  }
  return bytes;
}

GdkPixbuf* NewIconPixbuf(const IconImage& image) {
  const std::vector<unsigned char> bytes = RgbaBytes(image);
  if (bytes.empty()) return nullptr;
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, image.width, image.height);
  if (pixbuf == nullptr) return nullptr;
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  guchar* rows = gdk_pixbuf_get_pixels(pixbuf);
  const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4;
  for (int y = 0; y < image.height; ++y) {
    std::copy_n(bytes.data() + y * rowBytes, rowBytes, rows + static_cast<std::size_t>(y) * stride);
  }
  return pixbuf;
}

cairo_surface_t* NewIconSurface(const Icon& icon, int logicalSize, int scale) {
  if (icon.images.empty() || logicalSize <= 0) return nullptr;
  const IconImage& image = icon.BestFor(logicalSize * scale);
  const std::vector<unsigned char> rgba = RgbaBytes(image);
  if (rgba.empty()) return nullptr;
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
  cairo_surface_flush(surface);
  unsigned char* rows = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < image.height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(rows + static_cast<std::size_t>(y) * stride);
    for (int x = 0; x < image.width; ++x) {
      const unsigned char* p = &rgba[(static_cast<std::size_t>(y) * image.width + x) * 4];
      // Cairo keeps colours premultiplied by their opacity.
      const unsigned a = p[3];
      const auto premultiplied = [a](unsigned c) { return (c * a + 127) / 255; };
      row[x] = (a << 24) | (premultiplied(p[0]) << 16) | (premultiplied(p[1]) << 8) |
               premultiplied(p[2]);
    }
  }
  cairo_surface_mark_dirty(surface);
  // The picture's own pixels fill logicalSize logical pixels: a larger picture is drawn
  // sharper, never scaled up and blurred.
  const double ratio = static_cast<double>(image.width) / logicalSize;
  cairo_surface_set_device_scale(surface, ratio, ratio);
  return surface;
}

// Conversion of icon pixels into FLTK images.
#include "icon_picture.h"

#include <FL/Fl_RGB_Image.H>

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

IconPicture::IconPicture(const IconImage& image)
    : m_bytes(RgbaBytes(image)),
      m_image(std::make_unique<Fl_RGB_Image>(m_bytes.data(), image.width, image.height, 4)) {}

IconPicture::~IconPicture() = default;

// Icon pictures for FLTK: an icon resource's ARGB pixels as an RGBA image that FLTK can draw
// in a window and hand to the window manager.
#pragma once

#include <memory>
#include <vector>

#include "framework/dialog_template.h"

class Fl_RGB_Image;

// Straight (not premultiplied) RGBA bytes, rows top to bottom, from 0xAARRGGBB pixels. A
// picture whose pixel count does not match its size gives fully transparent bytes for the
// missing pixels instead of reading past the end.
std::vector<unsigned char> RgbaBytes(const IconImage& image);

// One picture of an icon, ready to draw. Owns the bytes its image draws from.
class IconPicture {
 public:
  explicit IconPicture(const IconImage& image);
  ~IconPicture();
  IconPicture(const IconPicture&) = delete;
  IconPicture& operator=(const IconPicture&) = delete;

  Fl_RGB_Image* Image() const { return m_image.get(); }

 private:
  std::vector<unsigned char> m_bytes;
  std::unique_ptr<Fl_RGB_Image> m_image;
};

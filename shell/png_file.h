// A picture as the bytes of a PNG file (8-bit RGBA, compressed with zlib), so that the
// program's icon can be installed where desktops look for it.
#pragma once

#include <string>

#include "framework/dialog_template.h"

// The PNG file of image (0xAARRGGBB pixels with straight alpha). An image with no pixels, or
// with fewer pixels than width x height, gives an empty string.
std::string EncodePng(const IconImage& image);

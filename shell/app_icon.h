// Icon 128, the program's picture: a white quill over an amber folder, drawn from shapes at
// each size so that it stays readable down to 16 pixels.
#pragma once

#include "framework/dialog_template.h"

// The picture at size x size pixels, 0xAARRGGBB with straight alpha, edges anti-aliased.
IconImage DrawAppIcon(int size);

// Icon 128 with its 48, 32 and 16 pixel pictures, largest first. Registered as a resource.
const Icon& AppIcon();

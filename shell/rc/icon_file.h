// Icon 128 as a Windows .ico file, for the executable's icon resource: every picture of the
// icon at 4, 8 and 24 bits per pixel, each with its transparency mask.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/dialog_template.h"

// The bits per pixel written for each picture, in this order.
inline constexpr int kIconFileDepths[] = {4, 8, 24};

// The whole file. Pictures are quantised to the standard 16-colour palette (4 bits) and to a
// 6 x 6 x 6 colour cube with greys (8 bits) by nearest colour; a pixel less than half opaque
// is transparent in the mask.
std::vector<std::uint8_t> IconFileBytes(const Icon& icon);

// Icon 128 as a Windows .ico file, for the executable's icon resource: every picture of the
// icon at 4, 8, 24 and 32 bits per pixel (the last with its alpha channel), each with its
// transparency mask, and the 256-pixel picture as a PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/dialog_template.h"

// The bits per pixel written for each picture, in this order.
inline constexpr int kIconFileDepths[] = {4, 8, 24, 32};

// The whole file. Pictures are quantised to the standard 16-colour palette (4 bits) and to a
// 6 x 6 x 6 colour cube with greys (8 bits) by nearest colour; a pixel less than half opaque
// is transparent in the mask. A picture of 256 x 256 pixels given as the bytes of a PNG file
// comes last, stored as it is (the form Windows takes for that size); none when empty.
std::vector<std::uint8_t> IconFileBytes(const Icon& icon, const std::string& png256 = {});

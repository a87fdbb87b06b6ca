// Tests of the conversion of icon pixels into RGBA bytes for FLTK.
#include "icon_picture.h"

#include <FL/Fl_RGB_Image.H>
#include <gtest/gtest.h>

TEST(IconPicture, ArgbPixelsBecomeStraightRgbaBytesInRowOrder) {
  IconImage image{2, 2, {0x80112233u, 0xFF000000u, 0x00FFFFFFu, 0xFFA0B0C0u}};
  const std::vector<unsigned char> bytes = RgbaBytes(image);
  const std::vector<unsigned char> expected = {0x11, 0x22, 0x33, 0x80, 0x00, 0x00, 0x00, 0xFF,
                                               0xFF, 0xFF, 0xFF, 0x00, 0xA0, 0xB0, 0xC0, 0xFF};
  EXPECT_EQ(bytes, expected);
}

TEST(IconPicture, MissingPixelsAreTransparentRatherThanReadPastTheEnd) {
  IconImage image{2, 2, {0xFF102030u}};
  const std::vector<unsigned char> bytes = RgbaBytes(image);
  ASSERT_EQ(bytes.size(), 16u);
  EXPECT_EQ(bytes[3], 0xFF);
  for (std::size_t i = 4; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], 0) << i;
  EXPECT_TRUE(RgbaBytes(IconImage{0, 5, {}}).empty());
}

TEST(IconPicture, TheImageHasTheIconsSizeAndAnAlphaChannel) {
  IconImage image{3, 2, std::vector<std::uint32_t>(6, 0xFF336699u)};
  IconPicture picture(image);
  ASSERT_NE(picture.Image(), nullptr);
  EXPECT_EQ(picture.Image()->w(), 3);
  EXPECT_EQ(picture.Image()->h(), 2);
  EXPECT_EQ(picture.Image()->d(), 4);
  const unsigned char* data = reinterpret_cast<const unsigned char*>(picture.Image()->data()[0]);
  EXPECT_EQ(data[0], 0x33);
  EXPECT_EQ(data[3], 0xFF);
}

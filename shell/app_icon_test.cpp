// Tests of the drawn program icon: sizes, a transparent surround, an opaque body, and at
// 16 pixels still both the folder's amber and the quill's white.
#include "app_icon.h"

#include <gtest/gtest.h>

namespace {

std::uint32_t Alpha(std::uint32_t p) { return p >> 24; }
bool IsAmber(std::uint32_t p) {
  const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  return Alpha(p) == 0xFF && r > 0xC0 && g > 0x80 && g < 0xE0 && b < 0x80;
}
bool IsWhite(std::uint32_t p) {
  const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  return Alpha(p) == 0xFF && r > 0xE0 && g > 0xE0 && b > 0xE0;
}

}  // namespace

TEST(AppIcon, EachPictureHasItsSizeWithTransparentCornersAndAnOpaqueMiddle) {
  for (int size : {48, 32, 16}) {
    const IconImage image = DrawAppIcon(size);
    ASSERT_EQ(image.width, size);
    ASSERT_EQ(image.height, size);
    ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(size * size));
    const auto at = [&](int x, int y) { return image.pixels[y * size + x]; };
    EXPECT_EQ(Alpha(at(0, 0)), 0u) << size;
    EXPECT_EQ(Alpha(at(size - 1, size - 1)), 0u) << size;
    EXPECT_EQ(Alpha(at(size / 2, size * 3 / 4)), 0xFFu) << size;
  }
}

TEST(AppIcon, EvenTheSmallestPictureShowsTheFolderAndTheQuill) {
  for (int size : {48, 32, 16}) {
    const IconImage image = DrawAppIcon(size);
    int amber = 0, white = 0;
    for (std::uint32_t p : image.pixels) {
      amber += IsAmber(p);
      white += IsWhite(p);
    }
    EXPECT_GE(amber, size * size / 8) << size;
    EXPECT_GE(white, size / 4) << size;
  }
}

TEST(AppIcon, TheRegisteredIconHoldsTheThreeSizesLargestFirst) {
  const Icon& icon = AppIcon();
  EXPECT_EQ(icon.id, 128);
  ASSERT_EQ(icon.images.size(), 3u);
  EXPECT_EQ(icon.images[0].pixels, DrawAppIcon(48).pixels);
  EXPECT_EQ(icon.images[2].pixels, DrawAppIcon(16).pixels);
  EXPECT_TRUE(DrawAppIcon(0).pixels.empty());
}

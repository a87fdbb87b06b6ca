// Tests of the conversion of icon pixels into RGBA bytes, pixbufs and surfaces for a scale.
#include "icon_pixbuf.h"

#include <gdk/gdk.h>
#include <gtest/gtest.h>

TEST(IconPixbuf, ArgbPixelsBecomeStraightRgbaBytesInRowOrder) {
  IconImage image{2, 2, {0x80112233u, 0xFF000000u, 0x00FFFFFFu, 0xFFA0B0C0u}};
  const std::vector<unsigned char> bytes = RgbaBytes(image);
  const std::vector<unsigned char> expected = {0x11, 0x22, 0x33, 0x80, 0x00, 0x00, 0x00, 0xFF,
                                               0xFF, 0xFF, 0xFF, 0x00, 0xA0, 0xB0, 0xC0, 0xFF};
  EXPECT_EQ(bytes, expected);
}

TEST(IconPixbuf, MissingPixelsAreTransparentRatherThanReadPastTheEnd) {
  IconImage image{2, 2, {0xFF102030u}};
  const std::vector<unsigned char> bytes = RgbaBytes(image);
  ASSERT_EQ(bytes.size(), 16u);
  EXPECT_EQ(bytes[3], 0xFF);
  for (std::size_t i = 4; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], 0) << i;
  EXPECT_TRUE(RgbaBytes(IconImage{0, 5, {}}).empty());
  EXPECT_EQ(NewIconPixbuf(IconImage{0, 5, {}}), nullptr);
}

TEST(IconPixbuf, ThePixbufKeepsTheRowsWhateverItsRowStride) {
  // Three pixels a row: 12 bytes, which GDK pads to its own row stride.
  IconImage image{
      3, 2, {0xFF010203u, 0xFF040506u, 0xFF070809u, 0x7F0A0B0Cu, 0xFF0D0E0Fu, 0xFF101112u}};
  GdkPixbuf* pixbuf = NewIconPixbuf(image);
  ASSERT_NE(pixbuf, nullptr);
  EXPECT_EQ(gdk_pixbuf_get_width(pixbuf), 3);
  EXPECT_EQ(gdk_pixbuf_get_height(pixbuf), 2);
  EXPECT_TRUE(gdk_pixbuf_get_has_alpha(pixbuf));
  const guchar* second = gdk_pixbuf_get_pixels(pixbuf) + gdk_pixbuf_get_rowstride(pixbuf);
  EXPECT_EQ(second[0], 0x0A);
  EXPECT_EQ(second[3], 0x7F);
  EXPECT_EQ(second[11], 0xFF);
  g_object_unref(pixbuf);
}

TEST(IconPixbuf, TheSurfaceTakesThePictureForTheScreensScale) {
  Icon icon{128,
            {IconImage{64, 64, std::vector<std::uint32_t>(64 * 64, 0xFF0000FFu)},
             IconImage{32, 32, std::vector<std::uint32_t>(32 * 32, 0xFFFF0000u)}}};
  for (int scale : {1, 2}) {
    cairo_surface_t* surface = NewIconSurface(icon, 32, scale);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(cairo_image_surface_get_width(surface), 32 * scale);
    double sx = 0, sy = 0;
    cairo_surface_get_device_scale(surface, &sx, &sy);
    EXPECT_EQ(sx, scale);
    EXPECT_EQ(sy, scale);
    // Blue for the 64-pixel picture, red for the 32-pixel one (cairo stores ARGB words).
    const auto* pixel =
        reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface));
    EXPECT_EQ(*pixel, scale == 2 ? 0xFF0000FFu : 0xFFFF0000u) << scale;
    cairo_surface_destroy(surface);
  }
  EXPECT_EQ(NewIconSurface(Icon{1, {}}, 32, 1), nullptr);
}

TEST(IconPixbuf, TheSurfaceKeepsColoursPremultipliedByTheirOpacity) {
  Icon icon{128, {IconImage{1, 1, {0x80FF4020u}}}};
  cairo_surface_t* surface = NewIconSurface(icon, 1, 1);
  ASSERT_NE(surface, nullptr);
  const auto* pixel = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface));
  EXPECT_EQ(*pixel, 0x80802010u);
  cairo_surface_destroy(surface);
}

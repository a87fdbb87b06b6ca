// Tests of the PNG encoding: the file is read back chunk by chunk (lengths, CRCs, header
// fields) and its pixels inflated and compared with the picture's.
#include "png_file.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <map>
#include <string>

#include "app_icon.h"

namespace {

std::uint32_t BigEndian(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// The chunks of a PNG file by type, after checking the signature, each CRC and the order.
std::map<std::string, std::string> Chunks(const std::string& png) {
  std::map<std::string, std::string> chunks;
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  std::string order;
  std::size_t at = 8;
  while (at + 12 <= png.size()) {
    const std::uint32_t length = BigEndian(png, at);
    const std::string type = png.substr(at + 4, 4);
    EXPECT_LE(at + 12 + length, png.size()) << type;
    const auto* crcStart = reinterpret_cast<const Bytef*>(png.data() + at + 4);
    EXPECT_EQ(BigEndian(png, at + 8 + length), crc32(0, crcStart, 4 + length)) << type;
    chunks[type] = png.substr(at + 8, length);
    order += type;
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size());
  EXPECT_EQ(order, "IHDRIDATIEND");
  return chunks;
}

TEST(PngFile, RowsHoldEachPixelAsRgbaBehindFilterNone) {
  const IconImage image{
      3, 2, {0xFF102030, 0x80FFFFFF, 0x00000000, 0x01020304, 0xFEDCBA98, 0x7F000080}};
  auto chunks = Chunks(EncodePng(image));
  const std::string& header = chunks["IHDR"];
  ASSERT_EQ(header.size(), 13u);
  EXPECT_EQ(BigEndian(header, 0), 3u);
  EXPECT_EQ(BigEndian(header, 4), 2u);
  EXPECT_EQ(header.substr(8), std::string({8, 6, 0, 0, 0}));
  std::string rows(2 * (1 + 3 * 4), '\x55');
  uLongf size = rows.size();
  ASSERT_EQ(
      uncompress(reinterpret_cast<Bytef*>(rows.data()), &size,
                 reinterpret_cast<const Bytef*>(chunks["IDAT"].data()), chunks["IDAT"].size()),
      Z_OK);
  ASSERT_EQ(size, rows.size());
  const unsigned char expected[] = {0,    0x10, 0x20, 0x30, 0xFF, 0xFF, 0xFF, 0xFF, 0x80,
                                    0,    0,    0,    0,    0,    0x02, 0x03, 0x04, 0x01,
                                    0xDC, 0xBA, 0x98, 0xFE, 0,    0,    0x80, 0x7F};
  EXPECT_EQ(rows, std::string(reinterpret_cast<const char*>(expected), sizeof expected));
  EXPECT_TRUE(chunks["IEND"].empty());
}

TEST(PngFile, TheIconAtEveryInstalledSizeIsSmallAndWhole) {
  for (int size : {16, 32, 48, 64, 128, 256}) {
    SCOPED_TRACE(size);
    const IconImage image = DrawAppIcon(size);
    const std::string png = EncodePng(image);
    auto chunks = Chunks(png);
    EXPECT_EQ(BigEndian(chunks["IHDR"], 0), static_cast<std::uint32_t>(size));
    // Compressed to under half its raw bytes: the picture is mostly flat colour and clear
    // background.
    EXPECT_LT(png.size(), image.pixels.size() * 4 / 2);
  }
}

TEST(PngFile, AnImageWithoutItsPixelsGivesNothing) {
  EXPECT_EQ(EncodePng(IconImage{0, 0, {}}), "");
  EXPECT_EQ(EncodePng(IconImage{2, 2, {1, 2, 3}}), "");
  EXPECT_EQ(EncodePng(IconImage{-1, 4, {1, 2, 3, 4}}), "");
}

}  // namespace

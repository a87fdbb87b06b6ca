// Tests of the .ico writer, read back as the platform reads it: the directory, every
// picture's header, colours, row padding and mask; and of the resource script's version
// record.
#include "icon_file.h"

#include <gtest/gtest.h>

#include <string>

#include "resource_script.h"
#include "shell/app_icon.h"

namespace {

std::uint32_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b.at(at) | (b.at(at + 1) << 8);
}
std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return U16(b, at) | (U16(b, at + 2) << 16);
}

struct Picture {
  int width, height, depth;
  std::size_t offset, size;
};

std::vector<Picture> Directory(const std::vector<std::uint8_t>& file) {
  EXPECT_EQ(U16(file, 0), 0u);
  EXPECT_EQ(U16(file, 2), 1u);
  std::vector<Picture> pictures;
  for (std::uint32_t i = 0; i < U16(file, 4); ++i) {
    const std::size_t entry = 6 + 16 * i;
    pictures.push_back({file.at(entry), file.at(entry + 1), static_cast<int>(U16(file, entry + 6)),
                        U32(file, entry + 12), U32(file, entry + 8)});
  }
  return pictures;
}

// The colour of pixel (x, y), counted from the top, of a stored picture, as 0xRRGGBB; and
// whether its mask bit lets the background through.
struct Read {
  std::uint32_t rgb;
  bool clear;
};
Read PixelOf(const std::vector<std::uint8_t>& file, const Picture& p, int x, int y) {
  const std::size_t header = p.offset;
  const std::size_t paletteSize = U32(file, header + 32);
  const std::size_t colours = header + 40 + 4 * paletteSize;
  const std::size_t colourRow = ((p.width * p.depth + 31) / 32) * 4;
  const std::size_t maskRow = ((p.width + 31) / 32) * 4;
  const int row = p.height - 1 - y;  // rows are stored bottom-up
  const std::size_t at = colours + colourRow * row;
  std::uint32_t rgb;
  if (p.depth == 32) {
    rgb = file.at(at + 4 * x + 2) << 16 | file.at(at + 4 * x + 1) << 8 | file.at(at + 4 * x);
  } else if (p.depth == 24) {
    rgb = file.at(at + 3 * x + 2) << 16 | file.at(at + 3 * x + 1) << 8 | file.at(at + 3 * x);
  } else {
    const int index =
        p.depth == 8 ? file.at(at + x) : (file.at(at + x / 2) >> (x % 2 ? 0 : 4)) & 0xF;
    const std::size_t entry = header + 40 + 4 * index;
    rgb = file.at(entry + 2) << 16 | file.at(entry + 1) << 8 | file.at(entry);
  }
  const std::size_t mask = colours + colourRow * p.height + maskRow * row;
  const bool clear = (file.at(mask + x / 8) >> (7 - x % 8)) & 1;
  return {rgb, clear};
}

TEST(IconFileTest, EveryPictureAtEveryDepthWithItsColoursAndMask) {
  // 3 x 2: an odd width, so that rows and nibbles need padding. Pure colours that every
  // palette holds exactly, and one transparent pixel.
  const Icon icon{
      128, {{3, 2, {0xFFFF0000, 0xFF00FF00, 0x00000000, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000}}}};
  const std::vector<std::uint8_t> file = IconFileBytes(icon);
  const std::vector<Picture> pictures = Directory(file);
  ASSERT_EQ(pictures.size(), 4u);
  std::size_t expectedOffset = 6 + 16 * 4;
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const Picture& p = pictures[i];
    SCOPED_TRACE("depth " + std::to_string(p.depth));
    EXPECT_EQ(p.depth, kIconFileDepths[i]);
    EXPECT_EQ(p.width, 3);
    EXPECT_EQ(p.height, 2);
    EXPECT_EQ(p.offset, expectedOffset);  // pictures follow one another without gaps
    expectedOffset += p.size;
    EXPECT_EQ(U32(file, p.offset + 8), 4u);  // the header's height counts the mask too
    EXPECT_EQ(U16(file, p.offset + 14), static_cast<std::uint32_t>(p.depth));
    const std::uint32_t expected[2][3] = {{0xFF0000, 0x00FF00, 0}, {0x0000FF, 0xFFFFFF, 0}};
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 3; ++x) {
        const Read pixel = PixelOf(file, p, x, y);
        EXPECT_EQ(pixel.rgb, expected[y][x]) << x << "," << y;
        EXPECT_EQ(pixel.clear, x == 2 && y == 0) << x << "," << y;
      }
    }
  }
  EXPECT_EQ(expectedOffset, file.size());
}

TEST(IconFileTest, TheAlphaPictureKeepsEachPixelsOpacity) {
  const Icon icon{128, {{2, 1, {0x80FF8000, 0x00123456}}}};
  const std::vector<std::uint8_t> file = IconFileBytes(icon);
  const Picture alpha = Directory(file).back();
  ASSERT_EQ(alpha.depth, 32);
  const std::size_t row = alpha.offset + 40;  // no palette
  // Blue, green, red, alpha; a clear pixel keeps no colour.
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + row, file.begin() + row + 8),
            (std::vector<std::uint8_t>{0x00, 0x80, 0xFF, 0x80, 0, 0, 0, 0}));
}

TEST(IconFileTest, TheProgramIconHasEveryDepthLargestFirstAndThePngLast) {
  const std::string png = "\x89PNG not really";
  const std::vector<std::uint8_t> file = IconFileBytes(AppIcon(), png);
  const std::vector<Picture> pictures = Directory(file);
  ASSERT_EQ(pictures.size(), 13u);
  const int sizes[] = {48, 32, 16};
  for (std::size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(pictures[i].width, sizes[i / 4]);
    EXPECT_EQ(pictures[i].depth, kIconFileDepths[i % 4]);
  }
  // 256 is written as 0 in the directory's byte.
  EXPECT_EQ(pictures[12].width, 0);
  EXPECT_EQ(pictures[12].height, 0);
  EXPECT_EQ(pictures[12].depth, 32);
  EXPECT_EQ(std::string(file.begin() + pictures[12].offset, file.end()), png);
}

TEST(ResourceScriptTest, VersionRecordAndIconFromTheProgramsData) {
  VersionRecord version = kVersionRecord;
  version.strings.companyName = "Say \"hi\"";
  const std::string rc = ResourceScript(version, 128, "quillmar.ico");
  for (const char* line :
       {"LANGUAGE 0x9, 0x1\n", "128 ICON \"quillmar.ico\"\n", "FILEVERSION 1,0,0,1\n",
        "PRODUCTVERSION 1,0,0,1\n", "FILEFLAGSMASK 0x3F\n", "FILEFLAGS 0x0\n", "FILEOS 0x4\n",
        "FILETYPE 0x1\n", "BLOCK \"040904e4\"\n", "VALUE \"CompanyName\", \"Say \"\"hi\"\"\"\n",
        "VALUE \"OriginalFilename\", \"quillmar.exe\"\n", "VALUE \"Translation\", 0x409, 1252\n"}) {
    EXPECT_NE(rc.find(line), std::string::npos) << line;
  }
}

}  // namespace

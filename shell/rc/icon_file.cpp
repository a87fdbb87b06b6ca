// The .ico writer: directory, then per picture a BITMAPINFOHEADER (height doubled for the
// mask), palette, colour rows bottom-up and mask rows, each row padded to 4 bytes; a PNG
// picture is stored whole.
#include "icon_file.h"

#include <array>

namespace {

struct Rgb {
  int r, g, b;
};

constexpr std::array<Rgb, 16> kStandard16{{{0, 0, 0},
                                           {128, 0, 0},
                                           {0, 128, 0},
                                           {128, 128, 0},
                                           {0, 0, 128},
                                           {128, 0, 128},
                                           {0, 128, 128},
                                           {192, 192, 192},
                                           {128, 128, 128},
                                           {255, 0, 0},
                                           {0, 255, 0},
                                           {255, 255, 0},
                                           {0, 0, 255},
                                           {255, 0, 255},
                                           {0, 255, 255},
                                           {255, 255, 255}}};

std::vector<Rgb> PaletteFor(int depth) {
  if (depth == 4) return {kStandard16.begin(), kStandard16.end()};
  std::vector<Rgb> palette;
  for (int r = 0; r < 6; ++r) {
    for (int g = 0; g < 6; ++g) {
      for (int b = 0; b < 6; ++b) palette.push_back({r * 51, g * 51, b * 51});
    }
  }
  // The other 40 entries: greys between the cube's own.
  for (int i = 1; palette.size() < 256; ++i) {
    const int grey = i * 255 / 41;
    palette.push_back({grey, grey, grey});
  }
  return palette;
}

int Nearest(const std::vector<Rgb>& palette, Rgb colour) {
  int best = 0;
  int bestDistance = 1 << 30;
  for (int i = 0; i < static_cast<int>(palette.size()); ++i) {
    const int dr = palette[i].r - colour.r, dg = palette[i].g - colour.g,
              db = palette[i].b - colour.b;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

class ByteWriter {
 public:
  void U8(int value) { m_bytes.push_back(static_cast<std::uint8_t>(value)); }
  void U16(int value) {
    U8(value & 0xFF);
    U8((value >> 8) & 0xFF);
  }
  void U32(std::uint32_t value) {
    U16(static_cast<int>(value & 0xFFFF));
    U16(static_cast<int>(value >> 16));
  }
  void PadRow(std::size_t rowStart) {
    while ((m_bytes.size() - rowStart) % 4 != 0) U8(0);
  }
  std::size_t Size() const { return m_bytes.size(); }
  std::vector<std::uint8_t>& Bytes() { return m_bytes; }

 private:
  std::vector<std::uint8_t> m_bytes;
};

bool Opaque(std::uint32_t pixel) { return (pixel >> 24) >= 0x80; }
Rgb ColourOf(std::uint32_t pixel) {
  return {static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
          static_cast<int>(pixel & 0xFF)};
}

// One picture as it is stored in the file (everything after the directory entry).
std::vector<std::uint8_t> PictureBytes(const IconImage& image, int depth) {
  ByteWriter out;
  const std::vector<Rgb> palette = depth <= 8 ? PaletteFor(depth) : std::vector<Rgb>();
  out.U32(40);
  out.U32(static_cast<std::uint32_t>(image.width));
  out.U32(static_cast<std::uint32_t>(image.height * 2));
  out.U16(1);
  out.U16(depth);
  out.U32(0);  // no compression
  out.U32(0);
  out.U32(0);
  out.U32(0);
  out.U32(static_cast<std::uint32_t>(palette.size()));
  out.U32(0);
  for (const Rgb& c : palette) {
    out.U8(c.b);
    out.U8(c.g);
    out.U8(c.r);
    out.U8(0);
  }
  for (int y = image.height - 1; y >= 0; --y) {
    const std::size_t rowStart = out.Size();
    int pending = 0;
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t pixel = image.pixels[static_cast<std::size_t>(y) * image.width + x];
      const Rgb colour = Opaque(pixel) ? ColourOf(pixel) : Rgb{0, 0, 0};
      if (depth == 32) {
        // Straight alpha, as the platform blends it; a clear pixel keeps no colour.
        const Rgb straight = (pixel >> 24) != 0 ? ColourOf(pixel) : Rgb{0, 0, 0};
        out.U8(straight.b);
        out.U8(straight.g);
        out.U8(straight.r);
        out.U8(static_cast<int>(pixel >> 24));
      } else if (depth == 24) {
        out.U8(colour.b);
        out.U8(colour.g);
        out.U8(colour.r);
      } else if (depth == 8) {
        out.U8(Nearest(palette, colour));
      } else if (x % 2 == 0) {
        pending = Nearest(palette, colour) << 4;
      } else {
        out.U8(pending | Nearest(palette, colour));
        pending = -1;
      }
    }
    if (depth == 4 && image.width % 2 != 0) out.U8(pending);
    out.PadRow(rowStart);
  }
  // The mask: a set bit lets the background through.
  for (int y = image.height - 1; y >= 0; --y) {
    const std::size_t rowStart = out.Size();
    for (int x0 = 0; x0 < image.width; x0 += 8) {
      int bits = 0;
      for (int x = x0; x < x0 + 8; ++x) {
        const bool clear = x >= image.width ||
                           !Opaque(image.pixels[static_cast<std::size_t>(y) * image.width + x]);
        bits = (bits << 1) | (clear ? 1 : 0);
      }
      out.U8(bits);
    }
    out.PadRow(rowStart);
  }
  return std::move(out.Bytes());
}

}  // namespace

std::vector<std::uint8_t> IconFileBytes(const Icon& icon, const std::string& png256) {
  struct Entry {
    int width, height, depth;
    std::vector<std::uint8_t> body;
  };
  std::vector<Entry> entries;
  for (const IconImage& image : icon.images) {
    for (int depth : kIconFileDepths) {
      entries.push_back({image.width, image.height, depth, PictureBytes(image, depth)});
    }
  }
  if (!png256.empty()) entries.push_back({256, 256, 32, {png256.begin(), png256.end()}});
  ByteWriter out;
  out.U16(0);
  out.U16(1);  // an icon, not a cursor
  out.U16(static_cast<int>(entries.size()));
  std::vector<std::vector<std::uint8_t>> bodies;
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
  for (Entry& entry : entries) {
    out.U8(entry.width >= 256 ? 0 : entry.width);
    out.U8(entry.height >= 256 ? 0 : entry.height);
    out.U8(entry.depth == 4 ? 16 : 0);  // colours in the palette, 0 for 256 and more
    out.U8(0);
    out.U16(1);
    out.U16(entry.depth);
    out.U32(static_cast<std::uint32_t>(entry.body.size()));
    out.U32(offset);
    offset += static_cast<std::uint32_t>(entry.body.size());
    bodies.push_back(std::move(entry.body));
  }
  for (const auto& body : bodies) out.Bytes().insert(out.Bytes().end(), body.begin(), body.end());
  return std::move(out.Bytes());
}

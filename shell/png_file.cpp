// PNG encoding: signature, IHDR, one IDAT holding every row behind filter byte 0, IEND.
#include "png_file.h"

#include <zlib.h>

#include <cstdint>

namespace {

void PutBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

void PutChunk(std::string& out, const char (&type)[5], const std::string& data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeStart = out.size();
  out.append(type, 4);
  out += data;
  const auto* bytes = reinterpret_cast<const Bytef*>(out.data() + typeStart);
  PutBigEndian(out, static_cast<std::uint32_t>(
                        crc32(crc32(0, nullptr, 0), bytes, static_cast<uInt>(4 + data.size()))));
}

}  // namespace

std::string EncodePng(const IconImage& image) {
  if (image.width <= 0 || image.height <= 0) return std::string();
  const std::size_t width = static_cast<std::size_t>(image.width);
  const std::size_t height = static_cast<std::size_t>(image.height);
  if (image.pixels.size() < width * height) return std::string();

  std::string rows;
  rows.reserve(height * (1 + width * 4));
  for (std::size_t y = 0; y < height; ++y) {
    rows.push_back('\0');  // filter: none
    for (std::size_t x = 0; x < width; ++x) {
      const std::uint32_t argb = image.pixels[y * width + x];
      for (int shift : {16, 8, 0, 24}) rows.push_back(static_cast<char>(argb >> shift));
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                reinterpret_cast<const Bytef*>(rows.data()), static_cast<uLong>(rows.size()),
                Z_BEST_COMPRESSION) != Z_OK) {
    return std::string();
  }
  packed.resize(packedSize);

  std::string header;
  PutBigEndian(header, static_cast<std::uint32_t>(width));
  PutBigEndian(header, static_cast<std::uint32_t>(height));
  header += std::string{8, 6, 0, 0, 0};  // 8 bits, RGBA, deflate, adaptive filters, no interlace

  std::string png("\x89PNG\r\n\x1a\n", 8);
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", std::string());
  return png;
}

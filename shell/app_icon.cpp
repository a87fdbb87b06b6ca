// Icon 128 drawn procedurally: each pixel is the average of 4 x 4 samples of a few shapes
// (folder tab, folder back, folder front, quill vane, shaft and nib), each with a dark edge
// one pixel wide whatever the size.
#include "app_icon.h"

#include <algorithm>
#include <cmath>

#include "framework/resources.h"
#include "resource_ids.h"

namespace {

struct Colour {
  double r, g, b, a;
};

constexpr Colour kClear{0, 0, 0, 0};
constexpr Colour kFolderEdge{0x7A, 0x4E, 0x00, 1};
constexpr Colour kFolderTab{0xD9, 0x9A, 0x1E, 1};
constexpr Colour kFolderBack{0xE8, 0xA9, 0x2B, 1};
constexpr Colour kFolderFront{0xF8, 0xC8, 0x4A, 1};
constexpr Colour kQuillEdge{0x1F, 0x2D, 0x5A, 1};
constexpr Colour kQuillVane{0xFA, 0xFA, 0xFF, 1};
constexpr Colour kInk{0x14, 0x18, 0x30, 1};

// Signed distance to a rounded rectangle: negative inside.
double RoundedBox(double x, double y, double left, double top, double right, double bottom,
                  double radius) {
  const double cx = (left + right) / 2, cy = (top + bottom) / 2;
  const double hx = (right - left) / 2 - radius, hy = (bottom - top) / 2 - radius;
  const double qx = std::abs(x - cx) - hx, qy = std::abs(y - cy) - hy;
  const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
  return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

// The quill lies on a line from its nib (bottom left) to its tip (top right); u runs along
// it from 0 at the nib to 1 at the tip, v across it.
constexpr double kNibX = 0.16, kNibY = 0.90, kTipX = 0.90, kTipY = 0.08;
constexpr double kVaneStart = 0.22;  // below this only the bare shaft and the nib

void QuillFrame(double x, double y, double* u, double* v, double* length) {
  const double dx = kTipX - kNibX, dy = kTipY - kNibY;
  *length = std::hypot(dx, dy);
  const double px = x - kNibX, py = y - kNibY;
  *u = (px * dx + py * dy) / (*length * *length);
  *v = (px * -dy + py * dx) / *length;
}

// Half width of the vane at u: swelling from the vane's start to a rounded tip, a little
// fuller on one side so it reads as a feather rather than a leaf.
// At small sizes the vane is widened by a pixel so that some white shows between its edges.
double VaneHalfWidth(double u, double v, double pixel) {
  if (u < kVaneStart || u > 1.0) return -1;
  const double t = (u - kVaneStart) / (1.0 - kVaneStart);
  const double swell = std::pow(std::sin(3.14159265358979 * std::pow(t, 0.8)), 0.75);
  const double widening = pixel > 1.0 / 24 ? pixel : 0.0;
  return ((v < 0 ? 0.15 : 0.11) + widening) * swell;
}

Colour SampleAt(double x, double y, double edge, double pixel) {
  Colour colour = kClear;
  auto paint = [&](double distance, const Colour& fill, const Colour& rim) {
    if (distance < -edge) {
      colour = fill;
    } else if (distance < 0) {
      colour = rim;
    }
  };
  paint(RoundedBox(x, y, 0.05, 0.17, 0.46, 0.36, 0.05), kFolderTab, kFolderEdge);
  paint(RoundedBox(x, y, 0.05, 0.25, 0.95, 0.88, 0.06), kFolderBack, kFolderEdge);
  paint(RoundedBox(x, y, 0.05, 0.40, 0.95, 0.88, 0.06), kFolderFront, kFolderEdge);

  double u = 0, v = 0, length = 0;
  QuillFrame(x, y, &u, &v, &length);
  const double along = u * length;
  // Vane: distance taken across the quill, which is close enough away from the very tip.
  const double half = VaneHalfWidth(u, v, pixel);
  if (half > 0) paint(std::abs(v) - half, kQuillVane, kQuillEdge);
  // Shaft: a dark line through the vane and below it down to the nib, a hairline when small.
  const double shaft = pixel > 1.0 / 24 ? pixel * 0.3 : edge * 0.75;
  if (u >= 0.08 && u <= 0.97 && std::abs(v) < shaft) colour = kQuillEdge;
  // Nib: a dark wedge widening from its point to where the shaft starts.
  if (u >= 0 && u < 0.08 && std::abs(v) < 0.012 + along * 0.25) colour = kInk;
  return colour;
}

std::uint32_t Pack(const Colour& c) {
  auto byte = [](double value) {
    return static_cast<std::uint32_t>(std::clamp(std::lround(value), 0L, 255L));
  };
  return byte(c.a * 255) << 24 | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
}

}  // namespace

IconImage DrawAppIcon(int size) {
  IconImage image{size, size, {}};
  if (size <= 0) return image;
  image.pixels.resize(static_cast<std::size_t>(size) * size);
  constexpr int kSamples = 4;
  // The edge is one pixel wide at small sizes and grows slowly beyond 24 pixels.
  const double edge = std::max(1.0, size / 24.0) / size;
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      Colour sum = kClear;  // premultiplied
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double x = (px + (sx + 0.5) / kSamples) / size;
          const double y = (py + (sy + 0.5) / kSamples) / size;
          const Colour c = SampleAt(x, y, edge, 1.0 / size);
          sum.r += c.r * c.a;
          sum.g += c.g * c.a;
          sum.b += c.b * c.a;
          sum.a += c.a;
        }
      }
      Colour pixel = kClear;
      if (sum.a > 0) {
        pixel = Colour{sum.r / sum.a, sum.g / sum.a, sum.b / sum.a, sum.a / (kSamples * kSamples)};
      }
      image.pixels[static_cast<std::size_t>(py) * size + px] = Pack(pixel);
    }
  }
  return image;
}

const Icon& AppIcon() {
  static const Icon kIcon{IDR_MAINFRAME, {DrawAppIcon(48), DrawAppIcon(32), DrawAppIcon(16)}};
  return kIcon;
}

namespace {
const ResourceRegistration kAppIconRegistration(IDR_MAINFRAME, AppIcon);
}  // namespace

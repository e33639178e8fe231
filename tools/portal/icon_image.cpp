#include "icon_image.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>

namespace portal {

namespace {

constexpr int kSide = 32;

void PutLittleEndian(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::string IconImage::ForKey(const std::string& key) {
  const size_t hash = std::hash<std::string>()(key);
  const uint8_t red = static_cast<uint8_t>(80 + hash % 150);
  const uint8_t green = static_cast<uint8_t>(60 + (hash >> 8) % 120);
  const uint8_t blue = static_cast<uint8_t>(120 + (hash >> 16) % 130);

  constexpr uint32_t kPixelBytes = kSide * kSide * 4;
  constexpr uint32_t kMaskBytes = kSide * 4;  // 1 bit per pixel, rows padded to 32 bits
  constexpr uint32_t kImageBytes = 40 + kPixelBytes + kMaskBytes;

  std::string out;
  // ICONDIR and one ICONDIRENTRY.
  PutLittleEndian(out, 0, 2);
  PutLittleEndian(out, 1, 2);
  PutLittleEndian(out, 1, 2);
  out += static_cast<char>(kSide);
  out += static_cast<char>(kSide);
  out += '\0';  // no palette
  out += '\0';
  PutLittleEndian(out, 1, 2);   // planes
  PutLittleEndian(out, 32, 2);  // bits per pixel
  PutLittleEndian(out, kImageBytes, 4);
  PutLittleEndian(out, 6 + 16, 4);
  // BITMAPINFOHEADER; the height counts the colour rows and the mask rows.
  PutLittleEndian(out, 40, 4);
  PutLittleEndian(out, kSide, 4);
  PutLittleEndian(out, kSide * 2, 4);
  PutLittleEndian(out, 1, 2);
  PutLittleEndian(out, 32, 2);
  PutLittleEndian(out, 0, 4);  // no compression
  PutLittleEndian(out, kPixelBytes + kMaskBytes, 4);
  for (int i = 0; i < 4; ++i) PutLittleEndian(out, 0, 4);
  // Pixels, bottom row first, BGRA with soft edges.
  for (int row = kSide - 1; row >= 0; --row) {
    for (int column = 0; column < kSide; ++column) {
      const double dx = column + 0.5 - kSide / 2.0;
      const double dy = row + 0.5 - kSide / 2.0;
      const double distance = std::sqrt(dx * dx + dy * dy);
      const double alpha = std::clamp(15.5 - distance, 0.0, 1.0);
      const bool ring = distance > 11.5 && distance < 13.5;
      const bool spark = std::abs(dx) + std::abs(dy) < 6.0;
      const double shade = 1.0 - (row / static_cast<double>(kSide)) * 0.35;
      uint8_t r = static_cast<uint8_t>(red * shade);
      uint8_t g = static_cast<uint8_t>(green * shade);
      uint8_t b = static_cast<uint8_t>(blue * shade);
      if (ring || spark) r = g = b = 245;
      out += static_cast<char>(b);
      out += static_cast<char>(g);
      out += static_cast<char>(r);
      out += static_cast<char>(static_cast<uint8_t>(alpha * 255));
    }
  }
  out.append(kMaskBytes, '\0');  // the alpha channel decides; the mask shows everything
  return out;
}

}  // namespace portal

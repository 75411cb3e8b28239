#pragma once
// Reading the pixels of a PNG file in a test: 8-bit RGB or RGBA, not interlaced — what a
// browser's screenshot is. The image data is inflated with zlib and unfiltered row by row.

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

struct PngPixels {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint32_t> rgb;  // 0xRRGGBB, row by row
  std::string error;          // why the file could not be read ("" when it could)
};

namespace PngDetail {

inline uint32_t BigEndian(const std::string& bytes, size_t at) {
  return (static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) << 24) |
         (static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 8) |
         static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3]));
}

inline uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return static_cast<uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Undoes the filter of every row in place; false on an unknown filter type.
inline bool Unfilter(std::vector<uint8_t>& data, uint32_t height, size_t stride, size_t bpp) {
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = &data[y * (stride + 1)];
    const uint8_t* prior = y > 0 ? &data[(y - 1) * (stride + 1) + 1] : nullptr;
    const uint8_t filter = row[0];
    uint8_t* px = row + 1;
    for (size_t i = 0; i < stride; ++i) {
      const int a = i >= bpp ? px[i - bpp] : 0;
      const int b = prior != nullptr ? prior[i] : 0;
      const int c = prior != nullptr && i >= bpp ? prior[i - bpp] : 0;
      switch (filter) {
        case 0:
          break;
        case 1:
          px[i] = static_cast<uint8_t>(px[i] + a);
          break;
        case 2:
          px[i] = static_cast<uint8_t>(px[i] + b);
          break;
        case 3:
          px[i] = static_cast<uint8_t>(px[i] + (a + b) / 2);
          break;
        case 4:
          px[i] = static_cast<uint8_t>(px[i] + Paeth(a, b, c));
          break;
        default:
          return false;
      }
    }
  }
  return true;
}

}  // namespace PngDetail

inline PngPixels ReadPng(const std::string& bytes) {
  PngPixels png;
  if (bytes.size() < 33 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) {
    png.error = "not a PNG file";
    return png;
  }
  std::string idat;
  uint8_t depth = 0, colourType = 0, interlace = 0;
  for (size_t at = 8; at + 12 <= bytes.size();) {
    const uint32_t length = PngDetail::BigEndian(bytes, at);
    if (at + 12 + length > bytes.size()) break;
    const std::string type = bytes.substr(at + 4, 4);
    if (type == "IHDR" && length >= 13) {
      png.width = PngDetail::BigEndian(bytes, at + 8);
      png.height = PngDetail::BigEndian(bytes, at + 12);
      depth = static_cast<uint8_t>(bytes[at + 16]);
      colourType = static_cast<uint8_t>(bytes[at + 17]);
      interlace = static_cast<uint8_t>(bytes[at + 20]);
    }
    if (type == "IDAT") idat += bytes.substr(at + 8, length);
    at += 12 + length;
  }
  if (depth != 8 || (colourType != 2 && colourType != 6) || interlace != 0 || png.width == 0 ||
      png.height == 0 || png.width > 20000 || png.height > 20000) {
    png.error = "not an 8-bit RGB(A) PNG without interlace";
    return png;
  }
  const size_t bpp = colourType == 6 ? 4 : 3;
  const size_t stride = png.width * bpp;
  std::vector<uint8_t> data(png.height * (stride + 1));
  uLongf size = data.size();
  if (uncompress(data.data(), &size, reinterpret_cast<const Bytef*>(idat.data()), idat.size()) !=
          Z_OK ||
      size != data.size() || !PngDetail::Unfilter(data, png.height, stride, bpp)) {
    png.error = "the image data cannot be inflated or unfiltered";
    return png;
  }
  png.rgb.reserve(static_cast<size_t>(png.width) * png.height);
  for (uint32_t y = 0; y < png.height; ++y)
    for (uint32_t x = 0; x < png.width; ++x) {
      const uint8_t* p = &data[y * (stride + 1) + 1 + x * bpp];
      png.rgb.push_back((uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2]);
    }
  return png;
}

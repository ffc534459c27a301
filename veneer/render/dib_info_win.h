// The one bitmap layout the toolkit and its tools draw into and read back,
// and the pixel form AlphaBlend takes from it.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>

namespace veneer {

// A 32-bit, top-down DIB of `width` × `height`: row 0 first, pixels as 0xAARRGGBB.
inline BITMAPINFO TopDownDibInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// A decoded pixel (0xAARRGGBB, not premultiplied) with its alpha scaled by
// `alpha` (0 to 255), premultiplied as AlphaBlend wants it.
inline std::uint32_t PremultipliedPixel(std::uint32_t argb, int alpha = 255) {
  const std::uint32_t a = (argb >> 24) * static_cast<std::uint32_t>(std::clamp(alpha, 0, 255)) / 255;
  const auto channel = [&](int shift) { return (((argb >> shift) & 0xFF) * a + 127) / 255 << shift; };
  return a << 24 | channel(16) | channel(8) | channel(0);
}

}  // namespace veneer

// The one bitmap layout the toolkit and its tools draw into and read back.
#pragma once

#include <windows.h>

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

}  // namespace veneer

// What the (virtual) screen shows: a rectangle of it as pixels, saved as a
// bitmap file for people to look at, and sampled by the tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;  // rows top to bottom, as GetPixel reports them

  COLORREF at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
  // Saves a 24-bit bottom-up .bmp; false when the file cannot be written.
  bool save(const std::wstring& path) const;
};

// The screen's pixels inside `window`'s outer rectangle.
Screenshot captureWindow(HWND window);

// Where the scenario tests put their screenshots (created when missing).
std::wstring screenshotFolder();

// Colours "close" within `tolerance` on each channel.
bool coloursClose(COLORREF a, COLORREF b, int tolerance = 24);

}  // namespace e2e

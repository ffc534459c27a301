// What the (virtual) screen shows: a rectangle of it as pixels, saved as a
// bitmap file for people to look at, and sampled by the tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/unique_handle_win.h"
#include "tests/wine_limits_win.h"

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

// Captures windows again and again with the same screen DC, memory DC and
// DIB section: an observer that samples a window 25 times a second must
// cost the program it measures as little as it can, and under Wine every DC
// made, selected into and released is several wineserver round trips.
class WindowSampler {
 public:
  WindowSampler();
  ~WindowSampler();
  WindowSampler(const WindowSampler&) = delete;
  WindowSampler& operator=(const WindowSampler&) = delete;

  Screenshot capture(HWND window);

 private:
  bool prepare(int width, int height);  // a DIB section of that size selected

  HDC screen_;  // released by the destructor
  common::UniqueMemoryDc memory_;
  common::UniqueGdiObject bitmap_;
  HGDIOBJ old_ = nullptr;
  const std::uint32_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// Whether the screen shows what this build paints: not for the 32-bit one
// under Wine, whose windows reach no X screen. Their logic, messages and
// files are checked all the same.
using tests::kNoScreenReason;
using tests::screenShowsOurWindows;

// Where the scenario tests put their screenshots (created when missing).
std::wstring screenshotFolder();

// Colours "close" within `tolerance` on each channel.
bool coloursClose(COLORREF a, COLORREF b, int tolerance = 24);

}  // namespace e2e

#include "tests/e2e/screen_win.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/unique_handle_win.h"
#include "tests/e2e/process_win.h"
#include "veneer/render/dib_info_win.h"

namespace e2e {

WindowSampler::WindowSampler() : screen_(GetDC(nullptr)) {}

WindowSampler::~WindowSampler() {
  if (old_ != nullptr) SelectObject(memory_.get(), old_);
  if (screen_ != nullptr) ReleaseDC(nullptr, screen_);
}

bool WindowSampler::prepare(int width, int height) {
  if (bits_ != nullptr && width == width_ && height == height_) return true;
  if (old_ != nullptr) SelectObject(memory_.get(), old_);
  old_ = nullptr;
  bits_ = nullptr;
  bitmap_.reset();
  if (!memory_) memory_.reset(CreateCompatibleDC(screen_));
  const BITMAPINFO info = veneer::TopDownDibInfo(width, height);
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(screen_, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!memory_ || !bitmap_ || bits == nullptr) return false;
  old_ = SelectObject(memory_.get(), bitmap_.get());
  bits_ = static_cast<const std::uint32_t*>(bits);
  width_ = width;
  height_ = height;
  return true;
}

Screenshot WindowSampler::capture(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  Screenshot shot;
  shot.width = r.right - r.left;
  shot.height = r.bottom - r.top;
  // Nothing to look at is an empty picture, never a size without its pixels.
  if (shot.width <= 0 || shot.height <= 0 || screen_ == nullptr || !prepare(shot.width, shot.height)) return {};
  BitBlt(memory_.get(), 0, 0, shot.width, shot.height, screen_, r.left, r.top, SRCCOPY);
  GdiFlush();
  shot.pixels.resize(static_cast<std::size_t>(shot.width) * static_cast<std::size_t>(shot.height));
  for (std::size_t i = 0; i < shot.pixels.size(); ++i) {
    const std::uint32_t v = bits_[i];  // 0x00RRGGBB
    shot.pixels[i] = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  return shot;
}

Screenshot captureWindow(HWND window) {
  return WindowSampler().capture(window);
}

bool Screenshot::save(const std::wstring& path) const {
  if (pixels.empty()) return false;
  const int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biSizeImage = static_cast<DWORD>(stride * height);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;
  std::ofstream out(std::filesystem::path(path), std::ios::binary);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  std::vector<char> row(static_cast<std::size_t>(stride), 0);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF c = at(x, y);
      row[static_cast<std::size_t>(x * 3)] = static_cast<char>(GetBValue(c));
      row[static_cast<std::size_t>(x * 3 + 1)] = static_cast<char>(GetGValue(c));
      row[static_cast<std::size_t>(x * 3 + 2)] = static_cast<char>(GetRValue(c));
    }
    out.write(row.data(), stride);
  }
  return static_cast<bool>(out);
}

std::wstring screenshotFolder() {
  const std::wstring folder = windowsPath(SCREENSHOT_DIR);
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

bool coloursClose(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

}  // namespace e2e

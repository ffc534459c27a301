#include "tests/e2e/screen_win.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/unique_handle_win.h"
#include "tests/e2e/process_win.h"

namespace e2e {

Screenshot captureWindow(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  Screenshot shot;
  shot.width = r.right - r.left;
  shot.height = r.bottom - r.top;
  if (shot.width <= 0 || shot.height <= 0) return shot;
  HDC screen = GetDC(nullptr);
  common::UniqueMemoryDc memory(CreateCompatibleDC(screen));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  common::UniqueGdiObject bitmap(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (memory && bitmap && bits != nullptr) {
    HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, shot.width, shot.height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    SelectObject(memory.get(), old);
    const auto* p = static_cast<const std::uint32_t*>(bits);
    shot.pixels.resize(static_cast<std::size_t>(shot.width) * static_cast<std::size_t>(shot.height));
    for (std::size_t i = 0; i < shot.pixels.size(); ++i) {
      const std::uint32_t v = p[i];  // 0x00RRGGBB
      shot.pixels[i] = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
  }
  ReleaseDC(nullptr, screen);
  return shot;
}

bool Screenshot::save(const std::wstring& path) const {
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

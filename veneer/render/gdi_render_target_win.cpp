#include "veneer/render/gdi_render_target_win.h"

#include <algorithm>

#include "common/wide_win.h"

namespace veneer {
namespace {

// Premultiplied BGRA, as AlphaBlend wants it.
std::uint32_t premultiplied(std::uint32_t argb, int alpha) {
  const std::uint32_t a = (argb >> 24) * static_cast<std::uint32_t>(std::clamp(alpha, 0, 255)) / 255;
  auto channel = [&](int shift) { return (((argb >> shift) & 0xFF) * a + 127) / 255 << shift; };
  return a << 24 | channel(16) | channel(8) | channel(0);
}

// A 32-bit, top-down DIB of `width` × `height`.
BITMAPINFO dibInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// Blends `pixels` (premultiplied, width × height) into the DC's rectangle.
void blendPixels(HDC dc, const std::vector<std::uint32_t>& pixels, int width, int height, const WindowRect& to) {
  const BITMAPINFO info = dibInfo(width, height);
  void* bits = nullptr;
  common::UniqueMemoryDc source(CreateCompatibleDC(dc));
  common::UniqueGdiObject bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!source || !bitmap || bits == nullptr) return;
  std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
  HGDIOBJ old = SelectObject(source.get(), bitmap.get());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc, to.left, to.top, to.Width(), to.Height(), source.get(), 0, 0, width, height, blend);
  SelectObject(source.get(), old);
}

}  // namespace

GdiRenderTarget::GdiRenderTarget(int width, int height, GdiFontCache& fonts)
    : fonts_(fonts), width_(std::max(1, width)), height_(std::max(1, height)) {
  dc_.reset(CreateCompatibleDC(nullptr));
  const BITMAPINFO info = dibInfo(width_, height_);
  void* bits = nullptr;
  if (!dc_) return;
  bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_) return;
  pixels_ = static_cast<std::uint32_t*>(bits);
  oldBitmap_ = SelectObject(dc_.get(), bitmap_.get());
  SetBkMode(dc_.get(), TRANSPARENT);
}

GdiRenderTarget::~GdiRenderTarget() {
  // The DC lets go of our objects before they are deleted (members end in reverse order).
  if (dc_) {
    if (oldFont_ != nullptr) SelectObject(dc_.get(), oldFont_);
    if (oldBitmap_ != nullptr) SelectObject(dc_.get(), oldBitmap_);
  }
}

void GdiRenderTarget::FillRect(const WindowRect& rect, Colour colour) {
  if (!Valid() || rect.Width() <= 0 || rect.Height() <= 0) return;
  const std::uint32_t argb = colourToArgb(colour);
  if ((argb >> 24) == 255) {
    common::UniqueGdiObject brush(CreateSolidBrush(RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF)));
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    ::FillRect(dc_.get(), &r, static_cast<HBRUSH>(brush.get()));
    return;
  }
  blendPixels(dc_.get(), std::vector<std::uint32_t>{premultiplied(argb, 255)}, 1, 1, rect);
}

void GdiRenderTarget::DrawBitmap(const IBitmap& bitmap, const WindowRect& source, const WindowRect& destination,
                                 int alpha, bool tile) {
  if (!Valid() || source.Width() <= 0 || source.Height() <= 0 || destination.Width() <= 0 ||
      destination.Height() <= 0) {
    return;
  }
  if (source.left < 0 || source.top < 0 || source.right > bitmap.Width() || source.bottom > bitmap.Height()) return;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(source.Width()) * static_cast<std::size_t>(source.Height()));
  for (int y = 0; y < source.Height(); ++y) {
    for (int x = 0; x < source.Width(); ++x) {
      pixels[static_cast<std::size_t>(y * source.Width() + x)] =
          premultiplied(bitmap.Pixels()[(source.top + y) * bitmap.Width() + source.left + x], alpha);
    }
  }
  if (!tile) {
    blendPixels(dc_.get(), pixels, source.Width(), source.Height(), destination);
    return;
  }
  PushClip(destination);
  for (int y = destination.top; y < destination.bottom; y += source.Height()) {
    for (int x = destination.left; x < destination.right; x += source.Width()) {
      blendPixels(dc_.get(), pixels, source.Width(), source.Height(),
                  WindowRect{x, y, x + source.Width(), y + source.Height()});
    }
  }
  PopClip();
}

void GdiRenderTarget::DrawText(std::u16string_view text, const WindowRect& rect, unsigned flags, Colour colour,
                               const FontDescription& font) {
  if (!Valid() || text.empty()) return;
  if (HFONT made = fonts_.Get(font)) {
    HGDIOBJ previous = SelectObject(dc_.get(), made);
    if (oldFont_ == nullptr) oldFont_ = previous;
  }
  const std::uint32_t argb = colourToArgb(colour);
  SetTextColor(dc_.get(), RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF));
  std::wstring wide = common::toWide(text);
  RECT r{rect.left, rect.top, rect.right, rect.bottom};
  ::DrawTextW(dc_.get(), wide.data(), static_cast<int>(wide.size()), &r, flags | DT_NOPREFIX);
  // GDI leaves the alpha byte of the pixels it draws at 0: the target is opaque.
  GdiFlush();
  for (int y = std::max(0, rect.top); y < std::min(height_, rect.bottom); ++y) {
    for (int x = std::max(0, rect.left); x < std::min(width_, rect.right); ++x) pixels_[y * width_ + x] |= 0xFF000000u;
  }
}

void GdiRenderTarget::PushClip(const WindowRect& rect) {
  if (!Valid()) return;
  savedStates_.push_back(SaveDC(dc_.get()));
  IntersectClipRect(dc_.get(), rect.left, rect.top, rect.right, rect.bottom);
}

void GdiRenderTarget::PopClip() {
  if (!Valid() || savedStates_.empty()) return;
  RestoreDC(dc_.get(), savedStates_.back());
  savedStates_.pop_back();
}

LayoutSize MeasureTextGdi(std::u16string_view text, HFONT font) {
  common::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return {};
  HGDIOBJ old = font != nullptr ? SelectObject(dc.get(), font) : nullptr;
  const std::wstring wide = common::toWide(text);
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
  if (old != nullptr) SelectObject(dc.get(), old);
  return LayoutSize{size.cx, size.cy};
}

}  // namespace veneer

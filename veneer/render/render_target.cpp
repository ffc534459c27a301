#include "veneer/render/render_target.h"

#include <algorithm>

#include "veneer/skin/skin.h"

namespace veneer {
namespace {

// The rectangle of state `state` inside the skin's image.
WindowRect stateRect(const VSkinImgList& skin, int state) {
  const int states = skin.States();
  const int index = std::clamp(state, 0, states - 1);
  const int w = skin.StateWidth();
  const int h = skin.StateHeight();
  return skin.Vertical() ? WindowRect{0, index * h, w, (index + 1) * h} : WindowRect{index * w, 0, (index + 1) * w, h};
}

}  // namespace

std::uint32_t colourToArgb(Colour colour) {
  const std::uint32_t a = colour >> 24;
  const std::uint32_t b = (colour >> 16) & 0xFF;
  const std::uint32_t g = (colour >> 8) & 0xFF;
  const std::uint32_t r = colour & 0xFF;
  return a << 24 | r << 16 | g << 8 | b;
}

void DrawSkinState(IRenderTarget& target, const VSkinImgList& skin, int state, const WindowRect& destination,
                   int opacity) {
  if (skin.Image() == nullptr) return;  // a skin without an image draws nothing
  target.DrawBitmap(*skin.Image(), stateRect(skin, state), destination, skin.Alpha() * opacity / 255, skin.Tile());
}

void DrawSkinFrame(IRenderTarget& target, const VSkinImgFrame& skin, int state, const WindowRect& destination,
                   int opacity) {
  if (skin.Image() == nullptr) return;
  const WindowRect s = stateRect(skin, state);
  const Margins& m = skin.GetMargins();
  const int sx[4] = {s.left, s.left + m.left, s.right - m.right, s.right};
  const int sy[4] = {s.top, s.top + m.top, s.bottom - m.bottom, s.bottom};
  const int dx[4] = {destination.left, destination.left + m.left, destination.right - m.right, destination.right};
  const int dy[4] = {destination.top, destination.top + m.top, destination.bottom - m.bottom, destination.bottom};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      const WindowRect from{sx[col], sy[row], sx[col + 1], sy[row + 1]};
      const WindowRect to{dx[col], dy[row], dx[col + 1], dy[row + 1]};
      if (from.Width() <= 0 || from.Height() <= 0 || to.Width() <= 0 || to.Height() <= 0) continue;
      target.DrawBitmap(*skin.Image(), from, to, skin.Alpha() * opacity / 255, skin.Tile());
    }
  }
}

void DrawSkin(IRenderTarget& target, const VSkinObjBase& skin, int state, const WindowRect& destination,
              int opacity) {
  if (const auto* frame = dynamic_cast<const VSkinImgFrame*>(&skin)) {
    DrawSkinFrame(target, *frame, state, destination, opacity);
  } else if (const auto* list = dynamic_cast<const VSkinImgList*>(&skin)) {
    DrawSkinState(target, *list, state, destination, opacity);
  }
}

SoftwareRenderTarget::SoftwareRenderTarget(int width, int height, std::uint32_t background)
    : width_(std::max(0, width)),
      height_(std::max(0, height)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), background),
      clips_{WindowRect{0, 0, width_, height_}} {}

std::uint32_t SoftwareRenderTarget::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

void SoftwareRenderTarget::blend(int x, int y, std::uint32_t argb) {
  const WindowRect c = clip();
  if (x < c.left || y < c.top || x >= c.right || y >= c.bottom) return;
  std::uint32_t& dst = pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
  const std::uint32_t a = argb >> 24;
  if (a == 0) return;
  if (a == 255) {
    dst = argb;
    return;
  }
  auto mix = [&](int shift) {
    const std::uint32_t s = (argb >> shift) & 0xFF;
    const std::uint32_t d = (dst >> shift) & 0xFF;
    return ((s * a + d * (255 - a) + 127) / 255) << shift;
  };
  const std::uint32_t outAlpha = a + ((dst >> 24) * (255 - a) + 127) / 255;
  dst = outAlpha << 24 | mix(16) | mix(8) | mix(0);
}

void SoftwareRenderTarget::FillRect(const WindowRect& rect, Colour colour) {
  const WindowRect r = Intersection(rect, clip());
  const std::uint32_t argb = colourToArgb(colour);
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) blend(x, y, argb);
  }
}

void SoftwareRenderTarget::DrawBitmap(const IBitmap& bitmap, const WindowRect& source, const WindowRect& destination,
                                      int alpha, bool tile) {
  const WindowRect src = Intersection(source, WindowRect{0, 0, bitmap.Width(), bitmap.Height()});
  if (src.Width() <= 0 || src.Height() <= 0 || destination.Width() <= 0 || destination.Height() <= 0) return;
  const WindowRect r = Intersection(destination, clip());
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      int sx = 0;
      int sy = 0;
      if (tile) {
        sx = src.left + (x - destination.left) % src.Width();
        sy = src.top + (y - destination.top) % src.Height();
      } else {  // nearest sample of the stretched source
        sx = src.left + static_cast<int>(static_cast<long long>(x - destination.left) * src.Width() / destination.Width());
        sy = src.top + static_cast<int>(static_cast<long long>(y - destination.top) * src.Height() / destination.Height());
      }
      std::uint32_t p = bitmap.Pixels()[static_cast<std::size_t>(sy) * static_cast<std::size_t>(bitmap.Width()) +
                                        static_cast<std::size_t>(sx)];
      const std::uint32_t a = (p >> 24) * static_cast<std::uint32_t>(std::clamp(alpha, 0, 255)) / 255;
      blend(x, y, (p & 0x00FFFFFFu) | a << 24);
    }
  }
}

void SoftwareRenderTarget::DrawText(std::u16string_view text, const WindowRect& rect, unsigned flags, Colour colour,
                                    const FontDescription& font) {
  const int line = font.height > 0 ? font.height : kLineHeight;
  const int cell = line * 6 / 10;
  const int width = static_cast<int>(text.size()) * cell;
  int x = rect.left;
  if (flags & kTextCenter) x = rect.left + (rect.Width() - width) / 2;
  if (flags & kTextRight) x = rect.right - width;
  int y = rect.top;
  if (flags & kTextVCenter) y = rect.top + (rect.Height() - line) / 2;
  if (flags & kTextBottom) y = rect.bottom - line;
  PushClip(rect);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u' ') continue;
    const int left = x + static_cast<int>(i) * cell;
    FillRect(WindowRect{left + 1, y + 2, left + cell - 1, y + line - 2}, colour);
  }
  PopClip();
}

void SoftwareRenderTarget::PushClip(const WindowRect& rect) { clips_.push_back(Intersection(rect, clip())); }

void SoftwareRenderTarget::PopClip() {
  if (clips_.size() > 1) clips_.pop_back();
}

}  // namespace veneer

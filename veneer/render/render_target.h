// Where windows draw: an interface with two back ends, GDI on Windows and a
// small software raster that tests can read pixel by pixel.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "veneer/res/image.h"
#include "veneer/skin/colour.h"
#include "veneer/wnd/vwindow.h"

namespace veneer {

// Text placement, as the platform's DrawText flags.
enum TextFlags : unsigned {
  kTextLeft = 0x0,
  kTextCenter = 0x1,
  kTextRight = 0x2,
  kTextVCenter = 0x4,
  kTextBottom = 0x8,
  kTextWordBreak = 0x10,  // words wrapped within the rectangle (the software raster keeps one line)
  kTextSingleLine = 0x20,
};

class IRenderTarget {
 public:
  virtual ~IRenderTarget() = default;
  virtual void FillRect(const WindowRect& rect, Colour colour) = 0;
  // Draws `source` of `bitmap` into `destination`, stretched (or tiled), with `alpha` (0..255) on top of its own.
  virtual void DrawBitmap(const IBitmap& bitmap, const WindowRect& source, const WindowRect& destination, int alpha,
                          bool tile) = 0;
  virtual void DrawText(std::u16string_view text, const WindowRect& rect, unsigned flags, Colour colour,
                        const FontDescription& font) = 0;
  // Drawing is limited to the intersection of the clip rectangles pushed.
  virtual void PushClip(const WindowRect& rect) = 0;
  virtual void PopClip() = 0;
  // Whether anything drawn in `rect` could show (it meets the clip): a back
  // end that keeps its pixels between paints redraws only what changed.
  virtual bool Touches(const WindowRect& rect) const {
    (void)rect;
    return true;
  }
};

class VSkinImgList;
class VSkinImgFrame;
class VSkinObjBase;

// State image `state` of a list skin, stretched over `destination`; `opacity`
// (0..255) on top of the skin's own alpha.
void DrawSkinState(IRenderTarget& target, const VSkinImgList& skin, int state, const WindowRect& destination,
                   int opacity = 255);
// State image `state` of a frame skin in nine parts: corners as they are,
// edges stretched along one direction, the centre in both.
void DrawSkinFrame(IRenderTarget& target, const VSkinImgFrame& skin, int state, const WindowRect& destination,
                   int opacity = 255);

// Either of the two above, by the skin's class; other skins draw nothing.
void DrawSkin(IRenderTarget& target, const VSkinObjBase& skin, int state, const WindowRect& destination,
              int opacity = 255);

// The software back end: 0xAARRGGBB pixels, source-over blending.
class SoftwareRenderTarget final : public IRenderTarget {
 public:
  SoftwareRenderTarget(int width, int height, std::uint32_t background = 0xFF000000u);

  void FillRect(const WindowRect& rect, Colour colour) override;
  void DrawBitmap(const IBitmap& bitmap, const WindowRect& source, const WindowRect& destination, int alpha,
                  bool tile) override;
  // Each character is drawn as a solid cell of 0.6 × the line height (the
  // font's height, kLineHeight without one): enough for tests to see where
  // text lands, how it is aligned and how big it is.
  void DrawText(std::u16string_view text, const WindowRect& rect, unsigned flags, Colour colour,
                const FontDescription& font) override;
  void PushClip(const WindowRect& rect) override;
  void PopClip() override;

  std::uint32_t Pixel(int x, int y) const;
  int Width() const { return width_; }
  int Height() const { return height_; }
  static constexpr int kLineHeight = 14;

 private:
  void blend(int x, int y, std::uint32_t argb);
  WindowRect clip() const { return clips_.back(); }

  int width_;
  int height_;
  std::vector<std::uint32_t> pixels_;
  std::vector<WindowRect> clips_;
};

// A toolkit colour (alpha, blue, green, red) as 0xAARRGGBB.
std::uint32_t colourToArgb(Colour colour);

}  // namespace veneer

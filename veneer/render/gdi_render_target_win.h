// The GDI back end: draws into a 32-bit top-down DIB section of a memory DC,
// which the host copies to the screen.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/unique_handle_win.h"
#include "veneer/render/gdi_font_cache_win.h"
#include "veneer/render/render_target.h"

namespace veneer {

class GdiRenderTarget final : public IRenderTarget {
 public:
  // Texts are drawn in fonts of `fonts`, which must outlive the target.
  GdiRenderTarget(int width, int height, GdiFontCache& fonts);
  ~GdiRenderTarget() override;
  GdiRenderTarget(const GdiRenderTarget&) = delete;
  GdiRenderTarget& operator=(const GdiRenderTarget&) = delete;

  void FillRect(const WindowRect& rect, Colour colour) override;
  void DrawBitmap(const IBitmap& bitmap, const WindowRect& source, const WindowRect& destination, int alpha,
                  bool tile) override;
  void DrawText(std::u16string_view text, const WindowRect& rect, unsigned flags, Colour colour,
                const FontDescription& font) override;
  void PushClip(const WindowRect& rect) override;
  void PopClip() override;

  HDC Dc() const { return dc_.get(); }
  bool Valid() const { return static_cast<bool>(bitmap_); }

 private:
  common::UniqueMemoryDc dc_;
  common::UniqueGdiObject bitmap_;
  GdiFontCache& fonts_;
  HGDIOBJ oldBitmap_ = nullptr;  // selected back before the DC goes
  HGDIOBJ oldFont_ = nullptr;     // likewise, once a font of the cache was selected
  std::uint32_t* pixels_ = nullptr;
  int width_;
  int height_;
  std::vector<int> savedStates_;
};

// Measures a single line of text as GDI draws it in `font`.
LayoutSize MeasureTextGdi(std::u16string_view text, HFONT font);

}  // namespace veneer

namespace veneer {

// The GDI back end's factory: its bitmaps are 32-bit pixel blocks that the
// GDI render target blends through a DIB section.
class VRenderFactory_GDI final : public TRenderFactoryImpl<IRenderFactory> {
 public:
  IBitmap* CreateBitmap() override { return new VBitmap; }
};

}  // namespace veneer

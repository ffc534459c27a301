// The GDI back end: draws into a 32-bit top-down DIB section of a memory DC,
// which the host copies to the screen. A host keeps one target for as long as
// its client area keeps its size and its scale: the pixels outside what a
// paint redraws stay as they were, and every GDI object the drawing needs
// (each picture's premultiplied copy in a DC of its own, the fonts) is made once.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>
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
  // Pictures are kept premultiplied per image, part and alpha: an image must
  // not change its pixels while a target that drew it lives.
  void DrawBitmap(const IBitmap& bitmap, const WindowRect& source, const WindowRect& destination, int alpha,
                  bool tile) override;
  void DrawText(std::u16string_view text, const WindowRect& rect, unsigned flags, Colour colour,
                const FontDescription& font) override;
  void PushClip(const WindowRect& rect) override;
  void PopClip() override;
  bool Touches(const WindowRect& rect) const override;

  HDC Dc() const { return dc_.get(); }
  bool Valid() const { return static_cast<bool>(bitmap_); }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  // Premultiplied pixels as a DIB section, selected for good into a memory DC
  // of their own, ready to blend: selecting a bitmap into a DC makes Wine
  // select the DC's font again, and that reads the X resources files.
  class Picture {
   public:
    Picture(HDC compatible, common::UniqueGdiObject bitmap, int width, int height);
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    bool Valid() const { return old_ != nullptr; }
    HDC Dc() const { return dc_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }

   private:
    common::UniqueGdiObject bitmap_;
    common::UniqueMemoryDc dc_;  // ends before the bitmap it holds
    HGDIOBJ old_ = nullptr;
    int width_;
    int height_;
  };

  // Found in `cache`, or made and kept there (a full cache starts again);
  // nullptr when GDI has no room for it.
  template <class Key, class Make>
  static const Picture* kept(std::map<Key, std::unique_ptr<Picture>>& cache, Key key, Make make);
  // A part of an image at an alpha.
  const Picture* picture(const IBitmap& bitmap, const WindowRect& source, int alpha);
  // One pixel of a see-through colour.
  const Picture* tint(std::uint32_t argb);
  void blend(const Picture& picture, const WindowRect& to);
  void applyClip();

  using PictureKey = std::tuple<const IBitmap*, const std::uint32_t*, int, int, int, int, int>;
  common::UniqueMemoryDc dc_;
  common::UniqueGdiObject bitmap_;
  std::map<PictureKey, std::unique_ptr<Picture>> pictures_;
  std::map<std::uint32_t, std::unique_ptr<Picture>> tints_;
  GdiFontCache& fonts_;
  HGDIOBJ oldBitmap_ = nullptr;  // selected back before the DC goes
  HGDIOBJ oldFont_ = nullptr;    // likewise, once a font of the cache was selected
  HFONT currentFont_ = nullptr;
  std::uint32_t* pixels_ = nullptr;
  int width_;
  int height_;
  std::vector<WindowRect> clips_;  // each the intersection of those pushed before
};

}  // namespace veneer

namespace veneer {

// The GDI back end's factory: its bitmaps are 32-bit pixel blocks that the
// GDI render target blends through a DIB section.
class VRenderFactory_GDI final : public TRenderFactoryImpl<IRenderFactory> {
 public:
  IBitmap* CreateBitmap() override { return new VBitmap; }
};

}  // namespace veneer

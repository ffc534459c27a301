#include "veneer/render/gdi_render_target_win.h"

#include <algorithm>

#include "common/wide_win.h"
#include "veneer/render/dib_info_win.h"

namespace veneer {
namespace {

// Enough for every part of every skin of a window at one scale, with the
// fade's alphas; a target that draws more starts its cache again.
constexpr std::size_t kMostPictures = 512;

// `width` × `height` pixels, premultiplied with `alpha`, as a DIB section;
// `row(y)` gives the pixels of row y.
template <class Row>
common::UniqueGdiObject premultipliedDib(HDC dc, int width, int height, int alpha, Row row) {
  const BITMAPINFO info = TopDownDibInfo(width, height);
  void* bits = nullptr;
  common::UniqueGdiObject made(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!made || bits == nullptr) return {};
  auto* out = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* in = row(y);
    for (int x = 0; x < width; ++x) *out++ = PremultipliedPixel(in[x], alpha);
  }
  GdiFlush();
  return made;
}

}  // namespace

GdiRenderTarget::GdiRenderTarget(int width, int height, GdiFontCache& fonts)
    : fonts_(fonts), width_(std::max(1, width)), height_(std::max(1, height)) {
  dc_.reset(CreateCompatibleDC(nullptr));
  const BITMAPINFO info = TopDownDibInfo(width_, height_);
  void* bits = nullptr;
  if (!dc_) return;
  bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_) return;
  pixels_ = static_cast<std::uint32_t*>(bits);
  oldBitmap_ = SelectObject(dc_.get(), bitmap_.get());
  SetBkMode(dc_.get(), TRANSPARENT);
  clips_.push_back(WindowRect{0, 0, width_, height_});
}

GdiRenderTarget::~GdiRenderTarget() {
  // The DC lets go of our objects before they are deleted (members end in reverse order).
  if (dc_) {
    if (oldFont_ != nullptr) SelectObject(dc_.get(), oldFont_);
    if (oldBitmap_ != nullptr) SelectObject(dc_.get(), oldBitmap_);
  }
}

GdiRenderTarget::Picture::Picture(HDC compatible, common::UniqueGdiObject bitmap, int width, int height)
    : bitmap_(std::move(bitmap)), dc_(CreateCompatibleDC(compatible)), width_(width), height_(height) {
  if (bitmap_ && dc_) old_ = SelectObject(dc_.get(), bitmap_.get());
}

GdiRenderTarget::Picture::~Picture() {
  if (old_ != nullptr) SelectObject(dc_.get(), old_);
}

template <class Key, class Make>
const GdiRenderTarget::Picture* GdiRenderTarget::kept(std::map<Key, std::unique_ptr<Picture>>& cache, Key key,
                                                      Make make) {
  if (auto found = cache.find(key); found != cache.end()) return found->second.get();
  if (cache.size() >= kMostPictures) cache.clear();
  std::unique_ptr<Picture> made = make();
  if (!made->Valid()) return nullptr;
  return cache.emplace(std::move(key), std::move(made)).first->second.get();
}

const GdiRenderTarget::Picture* GdiRenderTarget::picture(const IBitmap& bitmap, const WindowRect& source, int alpha) {
  return kept(
      pictures_, PictureKey{&bitmap, bitmap.Pixels(), source.left, source.top, source.right, source.bottom, alpha},
      [&] {
        return std::make_unique<Picture>(
            dc_.get(),
            premultipliedDib(dc_.get(), source.Width(), source.Height(), alpha,
                             [&](int y) { return bitmap.Pixels() + (source.top + y) * bitmap.Width() + source.left; }),
            source.Width(), source.Height());
      });
}

const GdiRenderTarget::Picture* GdiRenderTarget::tint(std::uint32_t argb) {
  return kept(tints_, argb, [&] {
    return std::make_unique<Picture>(dc_.get(), premultipliedDib(dc_.get(), 1, 1, 255, [&](int) { return &argb; }),
                                     1, 1);
  });
}

void GdiRenderTarget::blend(const Picture& picture, const WindowRect& to) {
  const BLENDFUNCTION function{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  // gdi32's own entry: msimg32's AlphaBlend only forwards to it, and one
  // DLL fewer to load is a shorter start.
  GdiAlphaBlend(dc_.get(), to.left, to.top, to.Width(), to.Height(), picture.Dc(), 0, 0, picture.Width(),
                picture.Height(), function);
}

void GdiRenderTarget::FillRect(const WindowRect& rect, Colour colour) {
  if (!Valid() || rect.Width() <= 0 || rect.Height() <= 0 || !Touches(rect)) return;
  const std::uint32_t argb = colourToArgb(colour);
  if ((argb >> 24) == 255) {
    SetDCBrushColor(dc_.get(), RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF));
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    ::FillRect(dc_.get(), &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    return;
  }
  // A see-through colour: one premultiplied pixel, stretched.
  if (const Picture* pixel = tint(argb)) blend(*pixel, rect);
}

void GdiRenderTarget::DrawBitmap(const IBitmap& bitmap, const WindowRect& source, const WindowRect& destination,
                                 int alpha, bool tile) {
  if (!Valid() || source.Width() <= 0 || source.Height() <= 0 || destination.Width() <= 0 ||
      destination.Height() <= 0 || !Touches(destination)) {
    return;
  }
  if (source.left < 0 || source.top < 0 || source.right > bitmap.Width() || source.bottom > bitmap.Height()) return;
  const Picture* made = picture(bitmap, source, alpha);
  if (made == nullptr) return;
  if (!tile) {
    blend(*made, destination);
    return;
  }
  PushClip(destination);
  for (int y = destination.top; y < destination.bottom; y += source.Height()) {
    for (int x = destination.left; x < destination.right; x += source.Width()) {
      const WindowRect cell{x, y, x + source.Width(), y + source.Height()};
      if (Touches(cell)) blend(*made, cell);
    }
  }
  PopClip();
}

void GdiRenderTarget::DrawText(std::u16string_view text, const WindowRect& rect, unsigned flags, Colour colour,
                               const FontDescription& font) {
  if (!Valid() || text.empty() || !Touches(rect)) return;
  HFONT wanted = fonts_.Get(font);
  if (wanted != nullptr && wanted != currentFont_) {
    HGDIOBJ previous = SelectObject(dc_.get(), wanted);
    if (oldFont_ == nullptr) oldFont_ = previous;
    currentFont_ = wanted;
  }
  const std::uint32_t argb = colourToArgb(colour);
  SetTextColor(dc_.get(), RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF));
  std::wstring wide = common::toWide(text);
  RECT r{rect.left, rect.top, rect.right, rect.bottom};
  ::DrawTextW(dc_.get(), wide.data(), static_cast<int>(wide.size()), &r, flags | DT_NOPREFIX);
  // GDI leaves the alpha byte of the pixels it draws at 0: the target is opaque.
  GdiFlush();
  const WindowRect inked = Intersection(rect, clips_.back());
  for (int y = inked.top; y < inked.bottom; ++y) {
    for (int x = inked.left; x < inked.right; ++x) pixels_[y * width_ + x] |= 0xFF000000u;
  }
}

// The clip is set afresh from the stack: a saved and restored DC would reset
// its font, which costs a look-up of the X resources per restore under Wine.
void GdiRenderTarget::applyClip() {
  const WindowRect& c = clips_.back();
  SelectClipRgn(dc_.get(), nullptr);
  IntersectClipRect(dc_.get(), c.left, c.top, c.right, c.bottom);
}

void GdiRenderTarget::PushClip(const WindowRect& rect) {
  if (!Valid()) return;
  clips_.push_back(Intersection(rect, clips_.back()));
  applyClip();
}

void GdiRenderTarget::PopClip() {
  if (!Valid() || clips_.size() <= 1) return;
  clips_.pop_back();
  applyClip();
}

bool GdiRenderTarget::Touches(const WindowRect& rect) const {
  if (clips_.empty()) return false;
  const WindowRect& c = clips_.back();
  return rect.left < c.right && rect.right > c.left && rect.top < c.bottom && rect.bottom > c.top;
}

}  // namespace veneer

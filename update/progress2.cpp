#include "update/progress2.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>

#include "veneer/core/ui_context.h"
#include "veneer/render/render_target.h"
#include "veneer/skin/skin.h"
#include "veneer/xml/xml_names.h"

namespace veneer {
namespace {

int saturate(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

// (value − min) × length / (max − min), with the product in 64 bits.
std::int64_t proportion(int value, int min, int max, std::int64_t length) {
  const std::int64_t span = static_cast<std::int64_t>(max) - min;
  if (span <= 0) return 0;  // nothing to divide by: an empty bar, 0%
  const std::int64_t done = static_cast<std::int64_t>(value) - min;
  // |done| < 2^32 and length < 2^31 (a pixel length or 100): no overflow.
  return done * length / span;
}

int stateWidth(const VSkinObjBase* skin) {
  const auto* list = dynamic_cast<const VSkinImgList*>(skin);
  return list ? list->StateWidth() : 0;
}
int stateHeight(const VSkinObjBase* skin) {
  const auto* list = dynamic_cast<const VSkinImgList*>(skin);
  return list ? list->StateHeight() : 0;
}

}  // namespace

int readCommaIntegers(std::u16string_view text, int (&values)[4]) {
  std::size_t at = 0;
  int read = 0;
  while (read < 4) {
    if (read > 0) {
      if (at >= text.size() || text[at] != u',') break;
      ++at;
    }
    while (at < text.size() && (text[at] == u' ' || (text[at] >= u'\t' && text[at] <= u'\r'))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) negative = text[at++] == u'-';
    const std::size_t digitsStart = at;
    std::int64_t magnitude = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
      magnitude = std::min<std::int64_t>(magnitude * 10 + (text[at] - u'0'), std::int64_t{1} << 32);
    }
    if (at == digitsStart) break;
    values[read++] = saturate(negative ? -magnitude : magnitude);
  }
  return read;
}

bool VProgress2::OnAttribute(std::string_view name, std::u16string_view value) {
  if (xml::namesEqual(name, "inset")) {
    readCommaIntegers(value, inset_);
    return true;
  }
  return VProgress::OnAttribute(name, value);
}

int VProgress2::scaled(int units) const {
  return saturate(static_cast<std::int64_t>(Host().scale) * units / 100);
}

int VProgress2::FillExtent(int length) const { return saturate(proportion(Value(), Min(), Max(), length)); }

int VProgress2::Percent() const { return FillExtent(100); }

bool VProgress2::OnCreate() {
  if (Host().ui != nullptr) {
    VSkinPoolMgr& skins = Host().ui->Skins();
    if (bkgndSkin_ == nullptr) {
      bkgndSkin_ = skins.GetSkin(Vertical() ? kBuiltinProgressBackgroundVertical : kBuiltinProgressBackground, 100);
    }
    if (posSkin_ == nullptr) {
      posSkin_ = skins.GetSkin(Vertical() ? kBuiltinProgressPositionVertical : kBuiltinProgressPosition, 100);
    }
  }
  return bkgndSkin_ != nullptr && posSkin_ != nullptr;
}

bool VProgress2::OnPaint(IRenderTarget& target) const {
  const WindowRect& r = Rect();
  if (bkgndSkin_ != nullptr) DrawSkin(target, *bkgndSkin_, 0, r);
  WindowRect f = r;
  if (Vertical()) {
    f.bottom = saturate(static_cast<std::int64_t>(r.top) + FillExtent(r.Height()));
  } else {
    f.right = saturate(static_cast<std::int64_t>(r.left) + FillExtent(r.Width()));
  }
  if (Value() > Min() && rangeDrawable() && posSkin_ != nullptr) {
    f.left += scaled(inset_[0]);
    f.top += scaled(inset_[1]);
    f.right -= scaled(inset_[2]);
    f.bottom -= scaled(inset_[3]);
    if (f.right > f.left && f.bottom > f.top) DrawSkin(target, *posSkin_, 0, f);
  }
  if (ShowPercent() && !Vertical()) {
    char text[16];
    std::snprintf(text, sizeof text, "%d%%", Percent());
    std::u16string wide(text, text + std::char_traits<char>::length(text));
    target.DrawText(wide, r, kTextCenter | kTextVCenter | kTextSingleLine, TextColour(), Font());
  }
  return true;
}

PixelPoint VProgress2::HeaderPosition(int cx, int cy, int offsetX, int offsetY) const {
  const WindowRect& r = Rect();
  std::int64_t x = 0;
  std::int64_t y = 0;
  if (Vertical()) {
    x = r.right;
    y = static_cast<std::int64_t>(r.top) + FillExtent(r.Height());
  } else {
    x = static_cast<std::int64_t>(r.left) + FillExtent(r.Width());
    y = r.bottom;
  }
  std::int64_t top = r.top;
  if (Value() > Min()) {
    x -= scaled(inset_[2]);
    top += scaled(inset_[1]);
    y -= scaled(inset_[3]);
  }
  return PixelPoint{saturate(x - cx + scaled(offsetX)), saturate((top + y - cy) / 2 + scaled(offsetY))};
}

LayoutSize VProgress2::DesiredSize(int, int) const {
  const int scale = Host().scale;
  const auto& padding = Style().inset;
  return LayoutSize{stateWidth(bkgndSkin_) + padding[0].toPixels(scale) + padding[2].toPixels(scale),
                    stateHeight(bkgndSkin_) + padding[1].toPixels(scale) + padding[3].toPixels(scale)};
}

}  // namespace veneer

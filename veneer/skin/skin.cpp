#include "veneer/skin/skin.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "common/utf.h"
#include "veneer/core/values.h"
#include "veneer/res/res_provider_mgr.h"
#include "veneer/xml/xml_names.h"

namespace veneer {
namespace {

bool setInt(std::u16string_view value, int& target) {
  const auto n = parseInteger(value);
  if (!n) return false;
  target = static_cast<int>(*n);
  return true;
}

bool setFlag(std::u16string_view value, bool& target) {
  target = value != u"0";
  return true;
}

}  // namespace

int scaleRounded(int value, int numerator, int denominator) {
  if (denominator == 0) return value;
  const double exact = static_cast<double>(value) * numerator / denominator;
  return static_cast<int>(exact < 0 ? std::ceil(exact - 0.5) : std::floor(exact + 0.5));
}

bool VSkinObjBase::SetAttribute(std::string_view name, std::u16string_view value, const SkinContext& context) {
  if (xml::namesEqual(name, "name")) {
    name_ = context.resolveText ? context.resolveText(value) : std::u16string(value);
    return true;
  }
  if (xml::namesEqual(name, "scale")) return setInt(value, scale_);
  if (xml::namesEqual(name, "alpha")) {
    int alpha = 0;
    if (!setInt(value, alpha) || alpha < 0 || alpha > 255) return false;
    alpha_ = alpha;
    return true;
  }
  if (xml::namesEqual(name, "enableColorize")) return setInt(value, enableColorize_);
  return false;
}

void VSkinObjBase::copyBaseTo(VSkinObjBase& other) const {
  other.name_ = name_;
  other.scale_ = scale_;
  other.alpha_ = alpha_;
  other.enableColorize_ = enableColorize_;
}

bool VSkinImgList::SetAttribute(std::string_view name, std::u16string_view value, const SkinContext& context) {
  if (xml::namesEqual(name, "src")) {
    if (context.providers == nullptr) return false;
    if (context.decoded != nullptr) {
      if (auto found = context.decoded->find(value); found != context.decoded->end()) {
        image_ = found->second;
        return true;
      }
    }
    VRef<IBitmap> image = VRef<IBitmap>::Adopt(context.providers->LoadImageById(value));
    if (!image) return false;  // the previous image stays
    image_ = image;
    if (context.decoded != nullptr) context.decoded->emplace(std::u16string(value), image);
    return true;
  }
  if (xml::namesEqual(name, "states")) {
    int states = 0;
    if (!setInt(value, states) || states <= 0) return false;
    states_ = states;
    return true;
  }
  if (xml::namesEqual(name, "vertical")) return setFlag(value, vertical_);
  if (xml::namesEqual(name, "tile")) return setFlag(value, tile_);
  if (xml::namesEqual(name, "autoFit")) return setInt(value, autoFit_);
  if (xml::namesEqual(name, "filterLevel")) {
    static const char16_t* const kLevels[] = {u"none", u"low", u"medium", u"high"};
    for (int i = 0; i < 4; ++i) {
      if (value == kLevels[i]) {
        filterLevel_ = i;
        return true;
      }
    }
    return false;
  }
  return VSkinObjBase::SetAttribute(name, value, context);
}

int VSkinImgList::StateWidth() const {
  if (!image_) return 0;
  return vertical_ ? image_->Width() : image_->Width() / states_;
}

int VSkinImgList::StateHeight() const {
  if (!image_) return 0;
  return vertical_ ? image_->Height() / states_ : image_->Height();
}

void VSkinImgList::copyImgListTo(VSkinImgList& other, int scale) const {
  copyBaseTo(other);
  other.states_ = states_;
  other.vertical_ = vertical_;
  other.tile_ = tile_;
  other.autoFit_ = autoFit_;
  other.filterLevel_ = filterLevel_;
  other.scale_ = scale;
  if (image_) {
    const int width = std::max(1, scaleRounded(StateWidth(), scale, scale_));
    const int height = std::max(1, scaleRounded(StateHeight(), scale, scale_));
    other.image_ = VRef<IBitmap>::Adopt(ResizeStates(*image_, states_, vertical_, width, height));
  }
}

VSkinObjBase* VSkinImgList::ScaledCopy(int scale) const {
  if (scale <= 0 || scale_ <= 0) return nullptr;
  auto* copy = new VSkinImgList;
  copyImgListTo(*copy, scale);
  return copy;
}

bool VSkinImgFrame::SetAttribute(std::string_view name, std::u16string_view value, const SkinContext& context) {
  if (xml::namesEqual(name, "margin")) {
    int l = 0, t = 0, r = 0, b = 0;
    const std::string narrow = common::utf16ToUtf8(value);
    if (std::sscanf(narrow.c_str(), "%d,%d,%d,%d", &l, &t, &r, &b) != 4) return false;
    margins_ = Margins{l, t, r, b};
    return true;
  }
  if (xml::namesEqual(name, "left")) return setInt(value, margins_.left);
  if (xml::namesEqual(name, "top")) return setInt(value, margins_.top);
  if (xml::namesEqual(name, "right")) return setInt(value, margins_.right);
  if (xml::namesEqual(name, "bottom")) return setInt(value, margins_.bottom);
  if (xml::namesEqual(name, "margin-x")) return setInt(value, margins_.left) && setInt(value, margins_.right);
  if (xml::namesEqual(name, "margin-y")) return setInt(value, margins_.top) && setInt(value, margins_.bottom);
  return VSkinImgList::SetAttribute(name, value, context);
}

VSkinObjBase* VSkinImgFrame::ScaledCopy(int scale) const {
  if (scale <= 0 || scale_ <= 0) return nullptr;
  auto* copy = new VSkinImgFrame;
  copyImgListTo(*copy, scale);
  copy->margins_ = Margins{scaleRounded(margins_.left, scale, scale_), scaleRounded(margins_.top, scale, scale_),
                           scaleRounded(margins_.right, scale, scale_), scaleRounded(margins_.bottom, scale, scale_)};
  return copy;
}

VSkinObjBase* CreateSkin(std::string_view className) {
  if (xml::namesEqual(className, "imglist")) return new VSkinImgList;
  if (xml::namesEqual(className, "imgframe")) return new VSkinImgFrame;
  return nullptr;
}

namespace {

// Weights of the source pixels that make one destination pixel, along one axis:
// a triangle filter as wide as the scale step, so that shrinking averages.
struct Tap {
  int first;
  std::vector<float> weights;
};

std::vector<Tap> tapsFor(int source, int destination) {
  std::vector<Tap> taps(static_cast<std::size_t>(destination));
  const double ratio = static_cast<double>(source) / destination;
  const double support = std::max(1.0, ratio);
  for (int d = 0; d < destination; ++d) {
    const double centre = (d + 0.5) * ratio - 0.5;
    const int first = std::max(0, static_cast<int>(std::floor(centre - support)));
    const int last = std::min(source - 1, static_cast<int>(std::ceil(centre + support)));
    Tap& tap = taps[static_cast<std::size_t>(d)];
    tap.first = first;
    double total = 0;
    for (int s = first; s <= last; ++s) {
      const double w = std::max(0.0, 1.0 - std::abs(s - centre) / support);
      tap.weights.push_back(static_cast<float>(w));
      total += w;
    }
    if (total <= 0) {
      tap.weights.assign(1, 1.0f);
      tap.first = std::clamp(static_cast<int>(std::lround(centre)), 0, source - 1);
      total = 1;
    }
    for (float& w : tap.weights) w = static_cast<float>(w / total);
  }
  return taps;
}

// Resizes the `width` × `height` block at (x, y) of `src` (row length `stride`)
// into `dst` at (dx, dy) with row length `dstStride`. Premultiplied while filtering.
void resizeBlock(const std::uint32_t* src, int stride, int x, int y, int width, int height, std::uint32_t* dst,
                 int dstStride, int dx, int dy, int newWidth, int newHeight) {
  const std::vector<Tap> across = tapsFor(width, newWidth);
  const std::vector<Tap> down = tapsFor(height, newHeight);
  std::vector<float> rows(static_cast<std::size_t>(height) * static_cast<std::size_t>(newWidth) * 4);
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < newWidth; ++col) {
      const Tap& tap = across[static_cast<std::size_t>(col)];
      float sum[4] = {0, 0, 0, 0};
      for (std::size_t k = 0; k < tap.weights.size(); ++k) {
        const std::uint32_t p = src[(y + row) * stride + x + tap.first + static_cast<int>(k)];
        const float a = static_cast<float>(p >> 24) / 255.0f;
        const float w = tap.weights[k];
        sum[0] += w * a * static_cast<float>((p >> 16) & 0xFF);
        sum[1] += w * a * static_cast<float>((p >> 8) & 0xFF);
        sum[2] += w * a * static_cast<float>(p & 0xFF);
        sum[3] += w * a;
      }
      std::copy(sum, sum + 4, rows.begin() + (static_cast<std::ptrdiff_t>(row) * newWidth + col) * 4);
    }
  }
  for (int row = 0; row < newHeight; ++row) {
    const Tap& tap = down[static_cast<std::size_t>(row)];
    for (int col = 0; col < newWidth; ++col) {
      float sum[4] = {0, 0, 0, 0};
      for (std::size_t k = 0; k < tap.weights.size(); ++k) {
        const float* p = &rows[(static_cast<std::size_t>(tap.first) + k) * static_cast<std::size_t>(newWidth) * 4 +
                               static_cast<std::size_t>(col) * 4];
        for (int c = 0; c < 4; ++c) sum[c] += tap.weights[k] * p[c];
      }
      const float alpha = std::clamp(sum[3], 0.0f, 1.0f);
      auto channel = [&](float premultiplied) {
        const float straight = alpha > 0 ? premultiplied / alpha : 0.0f;
        return static_cast<std::uint32_t>(std::clamp(std::lround(straight), 0L, 255L));
      };
      dst[(dy + row) * dstStride + dx + col] = static_cast<std::uint32_t>(std::lround(alpha * 255.0f)) << 24 |
                                               channel(sum[0]) << 16 | channel(sum[1]) << 8 | channel(sum[2]);
    }
  }
}

}  // namespace

IBitmap* ResizeStates(const IBitmap& source, int states, bool vertical, int stateWidth, int stateHeight) {
  if (states <= 0 || stateWidth <= 0 || stateHeight <= 0) return nullptr;
  const int sourceWidth = vertical ? source.Width() : source.Width() / states;
  const int sourceHeight = vertical ? source.Height() / states : source.Height();
  if (sourceWidth <= 0 || sourceHeight <= 0) return nullptr;
  const int width = vertical ? stateWidth : stateWidth * states;
  const int height = vertical ? stateHeight * states : stateHeight;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int s = 0; s < states; ++s) {
    const int x = vertical ? 0 : s * sourceWidth;
    const int y = vertical ? s * sourceHeight : 0;
    const int dx = vertical ? 0 : s * stateWidth;
    const int dy = vertical ? s * stateHeight : 0;
    resizeBlock(source.Pixels(), source.Width(), x, y, sourceWidth, sourceHeight, pixels.data(), width, dx, dy,
                stateWidth, stateHeight);
  }
  auto* bitmap = new VBitmap;
  bitmap->Assign(width, height, std::move(pixels));
  return bitmap;
}

}  // namespace veneer

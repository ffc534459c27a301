// A length of a layout: a number with a unit, turned into pixels at the host
// window's display scale.
#pragma once

#include <optional>
#include <string_view>

namespace veneer {

enum class LengthUnit { kPx = 0, kDp = 1, kDip = 2, kSp = 3 };

struct LayoutLength {
  static constexpr float kWrapContent = -1.0f;
  static constexpr float kMatchParent = -2.0f;
  static constexpr float kUnspecified = -3.0f;

  float value = kWrapContent;
  LengthUnit unit = LengthUnit::kPx;

  bool isWrapContent() const { return value == kWrapContent; }
  bool isMatchParent() const { return value == kMatchParent; }
  bool isUnspecified() const { return value == kUnspecified; }
  bool isSpecified() const { return value >= 0.0f; }

  // Pixels at `scale` (a percentage): px truncated toward zero, dp, dip and sp
  // rounded half up; the reserved values come back unchanged. Results are
  // held within ±kMaxPixels, so that sums of edges cannot overflow.
  int toPixels(int scale) const;

  static constexpr int kMaxPixels = 1 << 24;

  bool operator==(const LayoutLength&) const = default;
};

// The leading number as the C library reads a float (0 without one); the
// unit is the first of "px", "dp", "dip", "sp" the text ends with, any case.
LayoutLength parseLayoutLength(std::u16string_view text);

// "matchParent" or "full", "wrapContent", or a length; for "width" and "height".
LayoutLength parseSizeLength(std::u16string_view text);

}  // namespace veneer

#include "veneer/layout/layout_length.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "common/option_text.h"

namespace veneer {

int LayoutLength::toPixels(int scale) const {
  if (value == kMatchParent || value == kWrapContent || value == kUnspecified) return static_cast<int>(value);
  const double pixels = unit == LengthUnit::kPx ? std::trunc(static_cast<double>(value))
                                                : std::floor(static_cast<double>(value) * scale / 100.0 + 0.5);
  if (!(pixels > -kMaxPixels)) return -kMaxPixels;  // also catches NaN
  if (pixels > kMaxPixels) return kMaxPixels;
  return static_cast<int>(pixels);
}

LayoutLength parseLayoutLength(std::u16string_view text) {
  // The number: ASCII only, as strtof reads it.
  std::string narrow;
  for (char16_t c : text.substr(0, 64)) narrow += (c < 0x80) ? static_cast<char>(c) : '?';
  char* end = nullptr;
  const float value = std::strtof(narrow.c_str(), &end);
  LayoutLength length{std::isfinite(value) ? value : 0.0f, LengthUnit::kPx};
  auto endsWith = [&](std::u16string_view unit) {
    return text.size() >= unit.size() && common::equalsIgnoringAsciiCase(text.substr(text.size() - unit.size()), unit);
  };
  if (endsWith(u"px")) {
    length.unit = LengthUnit::kPx;
  } else if (endsWith(u"dp")) {
    length.unit = LengthUnit::kDp;
  } else if (endsWith(u"dip")) {
    length.unit = LengthUnit::kDip;
  } else if (endsWith(u"sp")) {
    length.unit = LengthUnit::kSp;
  }
  return length;
}

LayoutLength parseSizeLength(std::u16string_view text) {
  if (text == u"matchParent" || text == u"full") return LayoutLength{LayoutLength::kMatchParent, LengthUnit::kPx};
  if (text == u"wrapContent") return LayoutLength{LayoutLength::kWrapContent, LengthUnit::kPx};
  return parseLayoutLength(text);
}

}  // namespace veneer

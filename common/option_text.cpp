#include "common/option_text.h"

#include <limits>

namespace common {

char16_t asciiLower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool equalsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

std::optional<std::u16string_view> optionValue(std::u16string_view token, std::u16string_view prefix) {
  if (token.size() < prefix.size()) return std::nullopt;
  if (!equalsIgnoringAsciiCase(token.substr(0, prefix.size()), prefix)) return std::nullopt;
  return token.substr(prefix.size());
}

std::optional<std::u16string_view> lastOptionValue(std::span<const std::u16string> tokens,
                                                   std::u16string_view prefix) {
  std::optional<std::u16string_view> value;
  for (const std::u16string& token : tokens) {
    if (auto v = optionValue(token, prefix)) value = v;
  }
  return value;
}

std::uint32_t leadingDecimal(std::u16string_view text) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
  std::uint64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') break;
    value = value * 10 + static_cast<std::uint64_t>(c - u'0');
    if (value > kMax) return static_cast<std::uint32_t>(kMax);
  }
  return static_cast<std::uint32_t>(value);
}

}  // namespace common

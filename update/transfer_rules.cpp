#include "update/transfer_rules.h"

#include <algorithm>

namespace update {
namespace {

// Decimal digits at `at`, moved past; nothing when there are none or they overflow.
std::optional<std::uint64_t> number(std::u16string_view text, std::size_t& at) {
  const std::size_t start = at;
  std::uint64_t value = 0;
  for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
    if (value > (UINT64_MAX - 9) / 10) return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(text[at] - u'0');
  }
  if (at == start) return std::nullopt;
  return value;
}

bool expect(std::u16string_view text, std::size_t& at, char16_t c) {
  if (at >= text.size() || text[at] != c) return false;
  ++at;
  return true;
}

std::u16string_view trimmed(std::u16string_view text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

bool RetriableStatus(int status) {
  if (status == 408 || status == 429) return true;
  return status >= 500 && status <= 599;
}

std::uint32_t BackoffMs(int failures, std::uint32_t jitter) {
  const int steps = std::clamp(failures, 1, kAttempts - 1) - 1;
  const std::uint32_t base = 1000u << steps;
  return base + jitter % (base / 4 + 1);
}

std::optional<ContentRange> ParseContentRange(std::u16string_view text) {
  text = trimmed(text);
  constexpr std::u16string_view kUnit = u"bytes ";
  if (text.size() < kUnit.size()) return std::nullopt;
  for (std::size_t i = 0; i < kUnit.size(); ++i) {
    const char16_t c = text[i] >= u'A' && text[i] <= u'Z' ? static_cast<char16_t>(text[i] + 32) : text[i];
    if (c != kUnit[i]) return std::nullopt;
  }
  std::size_t at = kUnit.size();
  ContentRange range;
  const auto first = number(text, at);
  if (!first || !expect(text, at, u'-')) return std::nullopt;
  const auto last = number(text, at);
  if (!last || !expect(text, at, u'/')) return std::nullopt;
  const auto total = number(text, at);
  if (!total || at != text.size() || *first > *last || *last >= *total) return std::nullopt;
  range.first = *first;
  range.last = *last;
  range.total = *total;
  return range;
}

std::optional<std::uint32_t> ParseRetryAfterMs(std::u16string_view text) {
  text = trimmed(text);
  std::size_t at = 0;
  const auto seconds = number(text, at);
  if (!seconds || at != text.size()) return std::nullopt;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(*seconds, kLongestRetryAfterMs / 1000) * 1000);
}

}  // namespace update

#include "veneer/core/values.h"

#include <cstdlib>
#include <string>

#include "common/utf.h"

namespace veneer {

std::optional<long> parseInteger(std::u16string_view text) {
  const std::string narrow = common::utf16ToUtf8(text);
  if (narrow.empty()) return std::nullopt;
  char* end = nullptr;
  const long value = std::strtol(narrow.c_str(), &end, 0);
  if (end == narrow.c_str()) return std::nullopt;
  return value;
}

std::vector<std::u16string_view> splitAt(std::u16string_view text, char16_t separator) {
  std::vector<std::u16string_view> parts;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t at = text.find(separator, begin);
    parts.push_back(text.substr(begin, at == std::u16string_view::npos ? std::u16string_view::npos : at - begin));
    if (at == std::u16string_view::npos) return parts;
    begin = at + 1;
  }
}

std::u16string_view trimBlanks(std::u16string_view text) {
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace veneer

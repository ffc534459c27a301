#include "veneer/skin/colour.h"

#include "veneer/res/resource_id.h"

namespace veneer {
namespace {

int hexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// Reads "%d" as the C library does: blanks, a sign, digits.
bool readInt(std::u16string_view text, std::size_t& at, long& value) {
  while (at < text.size() && (text[at] == u' ' || text[at] == u'\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) negative = text[at++] == u'-';
  const std::size_t start = at;
  value = 0;
  while (at < text.size() && text[at] >= u'0' && text[at] <= u'9') {
    if (value < 100000000) value = value * 10 + (text[at] - u'0');
    ++at;
  }
  if (negative) value = -value;
  return at > start;
}

// "name(" then `count` numbers separated by ',' then ")".
bool readFunction(std::u16string_view text, std::u16string_view name, int count, long* values) {
  if (text.substr(0, name.size()) != name) return false;
  std::size_t at = name.size();
  for (int i = 0; i < count; ++i) {
    if (i > 0) {
      if (at >= text.size() || text[at] != u',') return false;
      ++at;
    }
    if (!readInt(text, at, values[i])) return false;
  }
  return at < text.size() && text[at] == u')';
}

}  // namespace

std::optional<Colour> parseColour(std::u16string_view raw, const NamedColourLookup& named) {
  if (raw.substr(0, 7) == u"@color/") {
    const std::u16string_view name = raw.substr(7, 49);
    if (named) {
      if (auto colour = named(name)) return colour;
    }
    return kNoNamedColour;
  }
  const std::u16string text = lowerAscii(raw);
  if (!text.empty() && text[0] == u'#') {
    // "#%02x%02x%02x%02x": up to four fields of one or two hex digits; the alpha may be left out.
    unsigned fields[4] = {0, 0, 0, 255};
    int count = 0;
    std::size_t at = 1;
    while (count < 4 && at < text.size() && hexValue(text[at]) >= 0) {
      unsigned value = static_cast<unsigned>(hexValue(text[at++]));
      if (at < text.size() && hexValue(text[at]) >= 0) value = value * 16 + static_cast<unsigned>(hexValue(text[at++]));
      fields[count++] = value;
    }
    if (count < 3) return std::nullopt;
    return makeColour(fields[0], fields[1], fields[2], fields[3]);
  }
  long values[4] = {0, 0, 0, 255};
  if (readFunction(text, u"rgba(", 4, values) || readFunction(text, u"rgb(", 3, values)) {
    return makeColour(static_cast<unsigned>(values[0]), static_cast<unsigned>(values[1]),
                      static_cast<unsigned>(values[2]), static_cast<unsigned>(values[3]));
  }
  return std::nullopt;
}

}  // namespace veneer

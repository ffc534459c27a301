#include "veneer/skin/font_description.h"

#include <cstdlib>
#include <vector>

#include "common/utf.h"
#include "veneer/layout/layout_length.h"
#include "veneer/res/resource_id.h"

namespace veneer {

FontDescription parseFontDescription(std::u16string_view raw, const DefaultFont& defaults, int scale) {
  const std::u16string text = lowerAscii(raw);
  FontDescription font;
  font.face = defaults.face;
  font.bold = defaults.bold;
  font.italic = defaults.italic;
  font.underline = defaults.underline;
  font.strike = defaults.strike;
  font.charset = defaults.charset;
  std::optional<int> size;
  int adding = 0;
  std::size_t begin = 0;
  while (begin <= text.size()) {
    std::size_t end = text.find(u',', begin);
    if (end == std::u16string::npos) end = text.size();
    const std::u16string_view pair = std::u16string_view(text).substr(begin, end - begin);
    begin = end + 1;
    const std::size_t colon = pair.find(u':');
    if (colon == std::u16string_view::npos || pair.find(u':', colon + 1) != std::u16string_view::npos) continue;
    const std::u16string_view key = pair.substr(0, colon);
    const std::u16string_view value = pair.substr(colon + 1);
    if (key == u"face") font.face = value;
    else if (key == u"size") size = parseLayoutLength(value).toPixels(scale);
    else if (key == u"adding") adding = parseLayoutLength(value).toPixels(scale);
    else if (key == u"bold") font.bold = value != u"0";
    else if (key == u"italic") font.italic = value != u"0";
    else if (key == u"underline") font.underline = value != u"0";
    else if (key == u"strike") font.strike = value != u"0";
    else if (key == u"charset") font.charset = std::atoi(common::utf16ToUtf8(value).c_str());
    else font.extra[std::u16string(key)] = std::u16string(value);
  }
  font.height = size ? *size : defaults.size * scale / 100 + adding;
  return font;
}

}  // namespace veneer

// The "font" attribute: "key:value" pairs separated by ',', lower-cased.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "veneer/skin/ui_definitions.h"

namespace veneer {

struct FontDescription {
  std::u16string face;
  int height = 0;  // pixels at the window's scale
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike = false;
  int charset = 1;
  std::map<std::u16string, std::u16string> extra;  // keys the toolkit does not know
};

// Without "size", the height is the default font's size × scale / 100 plus "adding".
FontDescription parseFontDescription(std::u16string_view text, const DefaultFont& defaults, int scale);

}  // namespace veneer

#include "veneer/res/resource_id.h"

#include "common/option_text.h"

namespace veneer {

std::optional<ResourceId> splitResourceId(std::u16string_view text) {
  const std::size_t colon = text.find(u':');
  if (colon == std::u16string_view::npos) return std::nullopt;
  return ResourceId{std::u16string(text.substr(0, colon)), std::u16string(text.substr(colon + 1))};
}

bool isFileType(std::u16string_view type) { return common::equalsIgnoringAsciiCase(type, u"file"); }

std::u16string upperAscii(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return out;
}

std::u16string lowerAscii(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = common::asciiLower(c);
  return out;
}

}  // namespace veneer

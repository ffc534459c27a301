#include "common/fixed_field.h"

#include <algorithm>

namespace common {

std::u16string readField(const char16_t* field, std::size_t width) {
  const char16_t* end = std::find(field, field + width, u'\0');
  return std::u16string(field, end);
}

bool writeField(char16_t* field, std::size_t width, std::u16string_view text) {
  if (width == 0 || text.size() >= width) return false;
  std::copy(text.begin(), text.end(), field);
  std::fill(field + text.size(), field + width, u'\0');
  return true;
}

}  // namespace common

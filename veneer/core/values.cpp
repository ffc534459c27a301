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

}  // namespace veneer

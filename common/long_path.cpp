#include "common/long_path.h"

namespace common {

std::u16string extendedLengthPath(std::u16string_view fullPath) {
  if (fullPath.starts_with(u"\\\\?\\")) return std::u16string(fullPath);
  if (fullPath.starts_with(u"\\\\")) return u"\\\\?\\UNC\\" + std::u16string(fullPath.substr(2));
  return u"\\\\?\\" + std::u16string(fullPath);
}

}  // namespace common

#include <windows.h>

#include "common/code_page.h"
#include "common/wide_win.h"

namespace common {

std::string toGbk(std::u16string_view text) {
  if (text.empty()) return {};
  const std::wstring wide = toWide(text);
  const int units = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(936, 0, wide.data(), units, nullptr, 0, "?", nullptr);
  if (size <= 0) return {};
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(936, 0, wide.data(), units, out.data(), size, "?", nullptr);
  return out;
}

}  // namespace common

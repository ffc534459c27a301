#include <iconv.h>

#include "common/code_page.h"

namespace common {

std::string toGbk(std::u16string_view text) {
  std::string out;
  iconv_t converter = iconv_open("GBK", "UTF-16LE");
  if (converter == reinterpret_cast<iconv_t>(-1)) return out;
  for (char16_t unit : text) {
    // One unit at a time, so that a character GBK lacks costs only itself.
    char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    char bytes[8];
    char* inPtr = in;
    char* outPtr = bytes;
    std::size_t inLeft = sizeof in;
    std::size_t outLeft = sizeof bytes;
    if (iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
      iconv(converter, nullptr, nullptr, nullptr, nullptr);
      out += '?';
    } else {
      out.append(bytes, static_cast<std::size_t>(outPtr - bytes));
    }
  }
  iconv_close(converter);
  return out;
}

}  // namespace common

// UTF-8 and UTF-16 conversions for portable code (documents are UTF-8, the
// toolkit's texts UTF-16). Ill-formed input becomes U+FFFD; nothing throws.
#pragma once

#include <string>
#include <string_view>

namespace common {

std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

}  // namespace common

// UTF-16 text as GBK (code page 936) bytes, the code page of the log files.
#pragma once

#include <string>
#include <string_view>

namespace common {

// Characters that GBK cannot hold become '?'.
std::string toGbk(std::u16string_view text);

}  // namespace common

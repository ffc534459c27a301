#include <cstdio>

#include "veneer/core/toolkit_log.h"

namespace veneer {

void DebuggerOutput(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
}

}  // namespace veneer

#include <windows.h>

#include <string>

#include "veneer/core/toolkit_log.h"

namespace veneer {

void DebuggerOutput(std::string_view text) { OutputDebugStringA(std::string(text).c_str()); }

}  // namespace veneer

// Where the toolkit's warnings go: the application's log manager once one is
// installed (tag "veneer", level 3), the debugger output until then and for
// every record the log manager does not take.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace veneer {

// The call site a record names: the function's name, the source file and the line.
struct LogSite {
  std::string function;
  const char* file = nullptr;
  int line = 0;
};

// Returns false when the record was not taken.
using ToolkitLogSink = std::function<bool(std::string_view tag, int level, std::string_view text, const LogSite& site)>;

// Installs the sink (an empty function restores the debugger output).
void SetToolkitLogSink(ToolkitLogSink sink);
// The defaults name the caller (the compiler fills them in at the call site).
void ToolkitWarning(std::string_view text, const char* function = __builtin_FUNCTION(),
                    const char* file = __builtin_FILE(), int line = __builtin_LINE());

// The class registry's warning for a name it holds no class of `kind` for
// (the registry's kinds: 0 window, 1 skin, 2 layout, 3 interpolator).
std::string NoObjectWarning(std::string_view name, int kind);

// The debugger output of the platform (standard error off Windows).
void DebuggerOutput(std::string_view text);

}  // namespace veneer

// Where the toolkit's warnings go: the application's log manager once one is
// installed (tag "veneer", level 3), the debugger output until then and for
// every record the log manager does not take.
#pragma once

#include <functional>
#include <source_location>
#include <string>
#include <string_view>

namespace veneer {

// The call site a record names: the function without its return type and
// parameters, the source file and the line.
struct LogSite {
  std::string function;
  const char* file = nullptr;
  int line = 0;

  static LogSite of(const std::source_location& where);
};

// Returns false when the record was not taken.
using ToolkitLogSink = std::function<bool(std::string_view tag, int level, std::string_view text, const LogSite& site)>;

// Installs the sink (an empty function restores the debugger output).
void SetToolkitLogSink(ToolkitLogSink sink);
void ToolkitWarning(std::string_view text, const std::source_location& where = std::source_location::current());

// The debugger output of the platform (standard error off Windows).
void DebuggerOutput(std::string_view text);

}  // namespace veneer

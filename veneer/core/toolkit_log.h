// Where the toolkit's warnings go: the application's log manager once one is
// installed (tag "veneer", level 3), the debugger output until then.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace veneer {

using ToolkitLogSink = std::function<void(std::string_view tag, int level, std::string_view text)>;

// Installs the sink (an empty function restores the debugger output).
void SetToolkitLogSink(ToolkitLogSink sink);
void ToolkitWarning(std::string_view text);

// The debugger output of the platform (standard error off Windows).
void DebuggerOutput(std::string_view text);

}  // namespace veneer

// The system's true version.
#pragma once

#include <windows.h>

namespace common {

// The version and product type as RtlGetVersion gives them (not subject to
// the compatibility shims of GetVersionEx), looked up by name in ntdll; all
// zero when it cannot be had.
RTL_OSVERSIONINFOEXW trueSystemVersion();

}  // namespace common

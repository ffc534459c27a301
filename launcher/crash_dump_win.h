#pragma once

#include <windows.h>

namespace launcher {

// The unhandled-exception filter: writes "dump.dmp" beside the program, then
// lets the system go on with its default handling (the process ends).
LONG WINAPI writeCrashDump(EXCEPTION_POINTERS* exception);

}  // namespace launcher

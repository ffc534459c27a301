// Starting a program the way the system's programs start one another: the
// program's quoted path as token 0, then the arguments; no handle
// inheritance, the current environment. The thread handle is closed at once.
#pragma once

#include <windows.h>

#include <string>

#include "common/unique_handle_win.h"

namespace common {

struct StartedProcess {
  UniqueHandle handle;  // empty when the start failed (GetLastError says why)
  DWORD pid = 0;
};

// In `workingFolder`, or the caller's folder when it is empty.
StartedProcess startProcess(const std::wstring& program, const std::wstring& arguments,
                            const std::wstring& workingFolder = {});

}  // namespace common

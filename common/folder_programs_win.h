// The programs that run from a folder: what keeps an installation from being
// replaced, and what a test checks was (not) started from it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace common {

struct RunningProgram {
  DWORD pid;
  std::wstring image;
};

// Every other process whose program lies in `folder` or below it (paths
// compared as the file system does); processes that cannot be asked are left out.
std::vector<RunningProgram> programsRunningFrom(const std::wstring& folder);

}  // namespace common

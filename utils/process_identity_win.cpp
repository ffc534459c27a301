#include <windows.h>

#include "utils/process_identity.h"

namespace logq {

std::uint32_t currentProcessId() { return GetCurrentProcessId(); }

std::string currentModulePath() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
  if (n == 0 || n >= MAX_PATH - 1) return {};
  return std::string(path, n);
}

}  // namespace logq

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

namespace logq {

std::uint32_t currentThreadId() { return GetCurrentThreadId(); }

std::string moduleFileNameOf(const void* address) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<const char*>(address), &module)) {
    return {};
  }
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(module, path, MAX_PATH - 1);
  if (n == 0 || n >= MAX_PATH - 1) return {};
  const std::string full(path, n);
  const std::size_t slash = full.find_last_of("\\/");
  return slash == std::string::npos ? full : full.substr(slash + 1);
}

}  // namespace logq

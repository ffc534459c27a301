#include "common/lazy_import_win.h"

#include <string>

namespace common {

FARPROC resolveSystemFunction(const wchar_t* dll, const char* name) noexcept {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::wstring path;
  try {
    path.assign(folder, length).append(L"\\").append(dll);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // Kept loaded for the rest of the process, as an import is: the slot points into it.
  const HMODULE module = LoadLibraryW(path.c_str());
  if (module == nullptr) return nullptr;
  return GetProcAddress(module, name);
}

}  // namespace common

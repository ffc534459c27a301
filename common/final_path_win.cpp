#include "common/final_path_win.h"

#include "common/wide_win.h"

namespace common {

std::u16string finalPathOf(HANDLE file, std::uint32_t& error) {
  std::wstring path(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length = GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) break;
    if (length < path.size()) {
      path.resize(length);
      return fromWide(path);
    }
    path.resize(length);  // the size it needs, terminator included
  }
  error = GetLastError();
  return {};
}

}  // namespace common

#include "stagehand/remove_tree_win.h"

#include <windows.h>

#include "common/unique_handle_win.h"

namespace stagehand {

void removeTree(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  common::UniqueFindHandle listing(FindFirstFileW((path + L"\\*.*").c_str(), &entry));
  if (!listing) {
    DeleteFileW(path.c_str());
    return;
  }
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    removeTree(path + L"\\" + name);
  } while (FindNextFileW(listing.get(), &entry));
  listing.reset();
  RemoveDirectoryW(path.c_str());
}

}  // namespace stagehand

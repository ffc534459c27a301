#include "stagehand/remove_tree_win.h"

#include <windows.h>

#include "common/unique_handle_win.h"

namespace stagehand {
namespace {

// A junction or symbolic link: removing it must never reach what it points to.
bool isLink(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Removes the link itself: a folder link with RemoveDirectoryW, a file link with DeleteFileW.
void removeLink(const std::wstring& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    RemoveDirectoryW(path.c_str());
  } else {
    DeleteFileW(path.c_str());
  }
}

void removeBelow(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  common::UniqueFindHandle listing(FindFirstFileW((path + L"\\*.*").c_str(), &entry));
  if (!listing) {
    DeleteFileW(path.c_str());
    return;
  }
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring child = path + L"\\" + name;
    if (isLink(entry.dwFileAttributes)) {
      removeLink(child, entry.dwFileAttributes);
    } else {
      removeBelow(child);
    }
  } while (FindNextFileW(listing.get(), &entry));
  listing.reset();
  RemoveDirectoryW(path.c_str());
}

}  // namespace

void removeTree(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (isLink(attributes)) {
    removeLink(path, attributes);
    return;
  }
  removeBelow(path);
}

}  // namespace stagehand

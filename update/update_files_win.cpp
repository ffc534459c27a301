#include "update/update_files_win.h"

#include <windows.h>

#include <string>

#include "common/long_path.h"
#include "common/unique_handle_win.h"
#include "common/wide_win.h"

namespace update {

std::wstring FullPathOf(std::u16string_view path) {
  const std::wstring given = common::toWide(path);
  const DWORD needed = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return given;
  std::wstring full(needed, L'\0');
  const DWORD n = GetFullPathNameW(given.c_str(), needed, full.data(), nullptr);
  if (n == 0 || n >= needed) return given;
  full.resize(n);
  return full;
}

namespace {

class Win32FileWriter final : public FileWriter {
 public:
  explicit Win32FileWriter(common::UniqueFile file) : file_(std::move(file)) {}
  bool write(const void* data, std::uint32_t size) override {
    DWORD written = 0;
    return WriteFile(file_.get(), data, size, &written, nullptr) && written == size;
  }

 private:
  common::UniqueFile file_;
};


// The form of `path` that every file function takes at any length: paths of
// MAX_PATH characters and more (the staged copy beside an installer path of
// 251 to 259 characters) become "\\?\" paths, which the limit does not bind.
std::wstring anyLength(std::u16string_view path) {
  if (path.size() < MAX_PATH) return common::toWide(path);
  return common::toWide(common::extendedLengthPath(common::fromWide(FullPathOf(path))));
}

}  // namespace

void Win32UpdateFiles::createFolder(std::u16string_view path) {
  CreateDirectoryW(common::toWide(path).c_str(), nullptr);
}

std::unique_ptr<FileWriter> Win32UpdateFiles::createFile(std::u16string_view path) {
  common::UniqueFile file(CreateFileW(common::toWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  return std::make_unique<Win32FileWriter>(std::move(file));
}

bool Win32UpdateFiles::copyFile(std::u16string_view from, std::u16string_view to) {
  return CopyFileW(anyLength(from).c_str(), anyLength(to).c_str(), FALSE) != FALSE;
}

bool Win32UpdateFiles::moveReplacing(std::u16string_view from, std::u16string_view to) {
  return MoveFileExW(anyLength(from).c_str(), anyLength(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool Win32UpdateFiles::deleteFile(std::u16string_view path) {
  return DeleteFileW(anyLength(path).c_str()) != FALSE;
}

bool Win32UpdateFiles::samePath(std::u16string_view a, std::u16string_view b) {
  const std::wstring fullA = FullPathOf(a);
  const std::wstring fullB = FullPathOf(b);
  return common::sameFileName(fullA, fullB);
}

}  // namespace update

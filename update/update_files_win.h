// The worker's files through the Win32 file API.
#pragma once

#include <string>
#include <string_view>

#include "update/update_ports.h"

namespace update {

// `path` made absolute as the system resolves it, at any length; `path`
// itself when it cannot be.
std::wstring FullPathOf(std::u16string_view path);

class Win32UpdateFiles final : public UpdateFiles {
 public:
  void createFolder(std::u16string_view path) override;
  std::unique_ptr<FileWriter> createFile(std::u16string_view path) override;
  bool copyFile(std::u16string_view from, std::u16string_view to) override;
  bool moveReplacing(std::u16string_view from, std::u16string_view to) override;
  bool deleteFile(std::u16string_view path) override;
  // Both made absolute, then compared as the file system does, without regard to case.
  bool samePath(std::u16string_view a, std::u16string_view b) override;
};

}  // namespace update

#include "linkwarden/driver_origin_win.h"

#include <windows.h>

#include "common/final_path_win.h"
#include "common/publisher_check_win.h"
#include "common/unique_handle_win.h"
#include "common/wide_win.h"
#include "linkwarden/driver_trust.h"

namespace linkwarden {
namespace {

// Opened for reading, shared for reading only: nobody writes the file while
// it is examined.
common::UniqueFile openForExamination(const std::wstring& path, std::uint32_t& error) {
  common::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) error = GetLastError();
  return file;
}

std::wstring ownProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

std::u16string WinDriverOrigin::toolFolder() {
  if (!folder_) {
    std::uint32_t error = 0;
    common::UniqueFile program = openForExamination(ownProgramPath(), error);
    const std::u16string path = program ? common::finalPathOf(program.get(), error) : std::u16string();
    const std::size_t slash = path.rfind(u'\\');
    // A folder that cannot be read is asked for again at the next request.
    if (slash == std::u16string::npos) return {};
    folder_ = path.substr(0, slash);
  }
  return *folder_;
}

common::FileSignature WinDriverOrigin::toolSignature() {
  if (signature_) return *signature_;
  common::FileSignature signature = common::WinSignatureCheck().examine(common::fromWide(ownProgramPath()));
  // Only a signature that was read is kept; anything else is looked at again next time.
  if (signature.state == common::Signature::kValid) signature_ = signature;
  return signature;
}

DriverFile WinDriverOrigin::examine(std::u16string_view path) {
  DriverFile driver;
  common::UniqueFile file = openForExamination(common::toWide(path), driver.error);
  if (!file) return driver;
  driver.resolvedPath = common::finalPathOf(file.get(), driver.error);
  // The signature of the file the path resolved to, while the handle keeps it from changing.
  if (!driver.resolvedPath.empty()) {
    driver.signature = common::WinSignatureCheck().examine(withoutVerbatimPrefix(driver.resolvedPath));
  }
  return driver;
}

}  // namespace linkwarden

// What the installer scenarios read back: the installer's log and the
// registry values it writes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace e2e {

// A registry value below `root` (HKEY_LOCAL_MACHINE in this program's view,
// the installer's): text, or a number as text; "<none>" when absent.
std::wstring registryValue(HKEY root, const std::wstring& key, const wchar_t* name);
inline std::wstring machineValue(const std::wstring& key, const wchar_t* name) {
  return registryValue(HKEY_LOCAL_MACHINE, key, name);
}

// Where a silent install without a folder goes: "<Program Files>\Tavaro" of this program's bitness.
std::wstring defaultInstallFolder();

// The installer's log (%TEMP%\tavaro-setup.log), as far as the runs since
// this object was made wrote it.
class SetupLog {
 public:
  SetupLog();
  std::string text() const;

 private:
  std::size_t start_;
};

}  // namespace e2e

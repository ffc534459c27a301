// What the installer scenarios read back: the installer's log and the
// current user's registry values it writes.
#pragma once

#include <cstddef>
#include <string>

namespace e2e {

// A value of the current user's registry: text, or a number as text; "<none>" when absent.
std::wstring userValue(const std::wstring& key, const wchar_t* name);

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

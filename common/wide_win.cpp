#include "common/wide_win.h"

#include <shellapi.h>

#include "common/unique_handle_win.h"

namespace common {

std::vector<std::u16string> commandLineTokens() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == nullptr) return {};
  UniqueLocal owner(reinterpret_cast<HLOCAL>(argv));
  std::vector<std::u16string> tokens;
  tokens.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) tokens.push_back(fromWide(argv[i]));
  return tokens;
}

}  // namespace common

#include <unistd.h>

#include <climits>

#include "utils/process_identity.h"

namespace logq {

std::uint32_t currentProcessId() { return static_cast<std::uint32_t>(getpid()); }

std::string currentModulePath() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  // The name is cut at the last backslash, as on Windows: present the Linux path that way.
  std::string text(path, static_cast<std::size_t>(n));
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  return text;
}

}  // namespace logq

#include <dlfcn.h>
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

std::uint32_t currentThreadId() { return static_cast<std::uint32_t>(gettid()); }

std::string moduleFileNameOf(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
  const std::string full(info.dli_fname);
  const std::size_t slash = full.find_last_of('/');
  return slash == std::string::npos ? full : full.substr(slash + 1);
}

}  // namespace logq

#include "utils/process_identity.h"

#include <cstdio>

namespace logq {

std::string processNameFromPath(std::string_view modulePath) {
  if (modulePath.empty()) return "process";
  std::string_view name = modulePath;
  const std::size_t slash = name.find_last_of('\\');
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name);
}

std::string formatPid(std::uint32_t pid) {
  char text[16];
  std::snprintf(text, sizeof text, "%06u", pid);
  return text;
}

}  // namespace logq

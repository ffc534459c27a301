// The launcher's three options.
#pragma once

#include <span>
#include <string>

namespace launcher {

struct LaunchOptions {
  std::u16string loaderPath;
  std::u16string startReason;
  std::u16string language;
};

// Every token, the program path included; prefixes compared without regard to
// case; a later option wins; values as written.
LaunchOptions parseLaunchOptions(std::span<const std::u16string> tokens);

// The launcher's export: 14 for exactly "tavaro", otherwise -1.
int versionOf(const char* name);

}  // namespace launcher

#include "launcher/launch_options.h"

#include <cstring>

#include "common/option_text.h"

namespace launcher {

LaunchOptions parseLaunchOptions(std::span<const std::u16string> tokens) {
  LaunchOptions options;
  if (auto v = common::lastOptionValue(tokens, u"--loaderpath=")) options.loaderPath = *v;
  if (auto v = common::lastOptionValue(tokens, u"--startreson=")) options.startReason = *v;
  if (auto v = common::lastOptionValue(tokens, u"--lang=")) options.language = *v;
  return options;
}

int versionOf(const char* name) { return name != nullptr && std::strcmp(name, "tavaro") == 0 ? 14 : -1; }

}  // namespace launcher

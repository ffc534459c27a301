// What the installer program was started with, as the plug-in reads it, and
// the texts it builds from that.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace stagehand {

inline constexpr std::size_t kRunArgUnits = 255;  // "--runarg=" holds at most 255 characters

struct InstallerOptions {
  std::int32_t delayMs = 0;
  bool installOnly = false;
  bool clearFirst = false;
  std::u16string runArg;
};

// Arguments from the second on; each option's text compared without regard to
// case over its own length; a later option wins. The options start from
// `held` (the plug-in's state of an earlier call in the same load): an option
// sets its value, none clears one.
InstallerOptions parseInstallerOptions(std::span<const std::u16string> tokens, InstallerOptions held = {});

// "<roaming application data>\tavarovideo\V14".
std::u16string dataFolderPath(std::u16string_view roamingAppData);

// The launcher below the installation folder, and its command line:
// "<folder>\Bin\tavaro.exe" "--loaderpath=<installer>" "--startreson=<runArg>".
std::u16string launcherPath(std::u16string_view installFolder);
std::u16string launcherCommandLine(std::u16string_view installFolder, std::u16string_view installerPath,
                                   std::u16string_view runArg);

}  // namespace stagehand

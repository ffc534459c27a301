#include "stagehand/installer_options.h"

#include <limits>
#include <utility>

#include "common/option_text.h"

namespace stagehand {

InstallerOptions parseInstallerOptions(std::span<const std::u16string> tokens, InstallerOptions held) {
  InstallerOptions options = std::move(held);
  for (std::size_t i = 1; i < tokens.size(); ++i) {
    const std::u16string& token = tokens[i];
    if (auto value = common::optionValue(token, u"--delay=")) {
      const std::uint32_t delay = common::leadingDecimal(*value);
      options.delayMs = static_cast<std::int32_t>(std::min<std::uint32_t>(delay, std::numeric_limits<std::int32_t>::max()));
    } else if (common::optionValue(token, u"--install-only")) {
      options.installOnly = true;
    } else if (auto run = common::optionValue(token, u"--runarg=")) {
      options.runArg = run->substr(0, kRunArgUnits);
    } else if (common::optionValue(token, u"--clear-first")) {
      options.clearFirst = true;
    }
  }
  return options;
}

std::u16string dataFolderPath(std::u16string_view roamingAppData) {
  std::u16string path(roamingAppData);
  path += u"\\tavarovideo\\V14";
  return path;
}

std::u16string launcherPath(std::u16string_view installFolder) {
  std::u16string path(installFolder);
  if (!path.empty() && path.back() != u'\\' && path.back() != u'/') path += u'\\';
  path += u"Bin\\tavaro.exe";
  return path;
}

std::u16string launcherCommandLine(std::u16string_view installFolder, std::u16string_view installerPath,
                                   std::u16string_view runArg) {
  std::u16string line = u"\"" + launcherPath(installFolder) + u"\" \"--loaderpath=";
  line.append(installerPath).append(u"\" \"--startreson=").append(runArg).append(u"\"");
  return line;
}

}  // namespace stagehand

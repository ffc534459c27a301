// Every program's command-line options from arbitrary tokens.
#include "common/channel_options.h"
#include "fuzz/fuzz_input.h"
#include "launcher/launch_options.h"
#include "sentinel/sentinel.h"
#include "stagehand/installer_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const std::vector<std::u16string> tokens = input.tokens();
  const common::ChannelOptions channel = common::parseChannelOptions(tokens);
  FUZZ_CHECK(!channel.valid() || (!channel.sectionName.empty() && channel.sectionName.size() <= 31 && channel.clientPid));
  launcher::parseLaunchOptions(tokens);
  sentinel::parseSentinelOptions(tokens);
  const stagehand::InstallerOptions installer = stagehand::parseInstallerOptions(tokens);
  FUZZ_CHECK(installer.runArg.size() <= stagehand::kRunArgUnits && installer.delayMs >= 0);
  return 0;
}

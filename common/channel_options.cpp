#include "common/channel_options.h"

#include "common/option_text.h"

namespace common {

ChannelOptions parseChannelOptions(std::span<const std::u16string> tokens) {
  ChannelOptions options;
  if (auto name = lastOptionValue(tokens, u"--filemapping-name=")) options.sectionName = *name;
  if (auto pid = lastOptionValue(tokens, u"--watch=")) options.clientPid = leadingDecimal(*pid);
  return options;
}

}  // namespace common

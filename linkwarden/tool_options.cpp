#include "linkwarden/tool_options.h"

#include "common/option_text.h"

namespace linkwarden {

ToolOptions parseToolOptions(std::span<const std::u16string> tokens) {
  ToolOptions options;
  if (auto name = common::lastOptionValue(tokens, u"--filemapping-name=")) options.sectionName = *name;
  if (auto pid = common::lastOptionValue(tokens, u"--watch=")) options.clientPid = common::leadingDecimal(*pid);
  return options;
}

}  // namespace linkwarden

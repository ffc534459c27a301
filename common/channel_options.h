// The two options of a program that serves a client through a named section
// and lives as long as the client: "--filemapping-name=" and "--watch=".
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace common {

inline constexpr std::size_t kSectionNameMax = 31;

struct ChannelOptions {
  std::u16string sectionName;
  std::uint32_t clientPid = 0;

  // Both are required; a name longer than 31 units names no section a client
  // could have made for us, so it is refused rather than cut.
  bool valid() const {
    return !sectionName.empty() && sectionName.size() <= kSectionNameMax && clientPid != 0;
  }
};

// Every token is examined, the program path included; a later option wins.
ChannelOptions parseChannelOptions(std::span<const std::u16string> tokens);

}  // namespace common

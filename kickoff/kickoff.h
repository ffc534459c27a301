// kickoff: opens, through the shell, the paths a client places in its
// section, one at a time, for as long as the client runs.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "common/channel.h"

namespace kickoff {

enum ExitCode : int {
  kExitOk = 0,
  kExitNoSection = 2,         // no section of that name from the client
  kExitViewUnavailable = 3,   // its first 522-byte view cannot be mapped
  kExitBadOptionsOrStart = 87,  // bad options, or the shell refused a start
};

inline constexpr int kPollMillis = 100;

class KickoffSystem {
 public:
  virtual ~KickoffSystem() = default;
  virtual common::SectionOpening openSection(std::u16string_view name) = 0;
  virtual std::unique_ptr<common::ProcessWatch> watchClient(std::uint32_t pid) = 0;
  // The shell's "open" of `path` with the normal show command (SW_SHOW); false when the shell refuses.
  virtual bool open(std::u16string_view path) = 0;
  virtual void debugOutput(std::u16string_view text) = 0;
};

int runKickoff(std::span<const std::u16string> tokens, KickoffSystem& system);

}  // namespace kickoff

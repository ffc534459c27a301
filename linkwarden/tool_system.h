// What the tool's entry needs from the operating system: the client's
// section, a watch on the client process, and the hidden window that holds
// back the end of a Windows session while a change is in place.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/channel.h"

namespace linkwarden {

class SessionGuard {
 public:
  virtual ~SessionGuard() = default;
  // Closes the hidden window; returns once the window thread has served it.
  virtual void close() = 0;
};

// Who the tool and the client it watches run as, as SID texts; the client's
// texts are empty (with `error`) when its token cannot be read.
struct ClientIdentity {
  std::u16string toolUser;
  std::u16string clientUser;
  std::u16string clientOwner;  // the default owner of what the client creates
  std::uint32_t error = 0;
};

class ToolSystem {
 public:
  virtual ~ToolSystem() = default;
  virtual common::SectionOpening openSection(std::u16string_view name) = 0;
  virtual ClientIdentity identifyClient(std::uint32_t pid) = 0;
  // A watch whose waits fail when the process cannot be opened.
  virtual std::unique_ptr<common::ProcessWatch> watchClient(std::uint32_t pid) = 0;
  // Starts the window thread; the window reads `environmentClean` on a session-end query.
  virtual std::unique_ptr<SessionGuard> startSessionGuard(const std::atomic<bool>& environmentClean) = 0;
};

}  // namespace linkwarden

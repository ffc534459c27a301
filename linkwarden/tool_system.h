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

// Who the tool and the client it watches run as, as SID texts, and their
// Windows sessions; the client's texts are empty (with `error`) when its
// token cannot be read.
struct ClientIdentity {
  std::u16string toolUser;
  std::u16string clientUser;
  std::u16string clientOwner;  // the default owner of what the client creates
  std::uint32_t toolSession = 0;
  std::uint32_t clientSession = 0;
  std::uint32_t error = 0;
};

// The watch on the client and who it is, both read from the one process
// handle that the tool keeps, so that a process id reused after the client
// ended cannot stand in for it.
struct ClientWatch {
  std::unique_ptr<common::ProcessWatch> watch;  // null when the process cannot be opened
  std::uint32_t error = 0;                      // why it could not be opened
  ClientIdentity identity;
};

class ToolSystem {
 public:
  virtual ~ToolSystem() = default;
  virtual common::SectionOpening openSection(std::u16string_view name) = 0;
  // Opens the client process (to wait on it and read its token) and keeps it.
  virtual ClientWatch watchClient(std::uint32_t pid) = 0;
  // Starts the window thread; the window reads `environmentClean` on a session-end query.
  virtual std::unique_ptr<SessionGuard> startSessionGuard(const std::atomic<bool>& environmentClean) = 0;
};

}  // namespace linkwarden

// What the tool's entry needs from the operating system: the client's
// section, a watch on the client process, and the hidden window that holds
// back the end of a Windows session while a change is in place.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>

#include "linkwarden/command_block.h"

namespace linkwarden {

class Section {
 public:
  virtual ~Section() = default;  // closes the section handle
  // Maps a read-write view of the first 1496 bytes; nullptr (with `error`
  // set) when it cannot be mapped. At most one view is mapped at a time.
  virtual CommandBlock* mapView(std::uint32_t& error) = 0;
  virtual void unmapView() = 0;
};

enum class WaitResult { kEnded, kTimedOut, kFailed };

class ClientWatch {
 public:
  virtual ~ClientWatch() = default;
  virtual WaitResult waitForExit(int millis) = 0;
};

class SessionGuard {
 public:
  virtual ~SessionGuard() = default;
  // Closes the hidden window; returns once the window thread has served it.
  virtual void close() = 0;
};

struct SectionOpening {
  std::unique_ptr<Section> section;  // null when it could not be opened
  std::uint32_t error = 0;
  bool createdNew = false;  // no section of that name existed: no client made it
};

class ToolSystem {
 public:
  virtual ~ToolSystem() = default;
  virtual SectionOpening openSection(std::u16string_view name) = 0;
  // A watch whose waits fail when the process cannot be opened.
  virtual std::unique_ptr<ClientWatch> watchClient(std::uint32_t pid) = 0;
  // Starts the window thread; the window reads `environmentClean` on a session-end query.
  virtual std::unique_ptr<SessionGuard> startSessionGuard(const std::atomic<bool>& environmentClean) = 0;
};

}  // namespace linkwarden

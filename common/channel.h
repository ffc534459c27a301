// A client's named section and the watch on the client process: the channel
// of every helper that serves a client and lives as long as it does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace common {

class SharedSection {
 public:
  virtual ~SharedSection() = default;  // closes the section handle
  // Maps a read-write view of the first `bytes`; nullptr (with `error` set)
  // when it cannot be mapped. At most one view is mapped at a time.
  virtual void* mapView(std::size_t bytes, std::uint32_t& error) = 0;
  virtual void unmapView() = 0;
};

struct SectionOpening {
  std::unique_ptr<SharedSection> section;  // null when it could not be opened
  std::uint32_t error = 0;
  bool createdNew = false;  // no section of that name existed: no client made it
  // The section's owner as a SID text ("S-1-5-21-…"); empty when it cannot be read.
  std::u16string owner;
};

enum class WaitResult { kEnded, kTimedOut, kFailed };

class ProcessWatch {
 public:
  virtual ~ProcessWatch() = default;
  // A negative `millis` waits without a time limit.
  virtual WaitResult waitForExit(int millis) = 0;
};

}  // namespace common

// What the tool learns from the system about a driver file before it lets
// the service manager load it, and about itself to hold the file to.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/publisher_policy.h"

namespace linkwarden {

struct DriverFile {
  // The file's full path with every link, junction and mount point on the
  // way followed, as the system resolves it for the open file; empty (with
  // `error`) when it cannot be opened.
  std::u16string resolvedPath;
  std::uint32_t error = 0;
  common::FileSignature signature;  // of the resolved file
};

class DriverOrigin {
 public:
  virtual ~DriverOrigin() = default;
  // The folder that holds the tool's own program, resolved the same way
  // (empty when it cannot be read), and the program's signature.
  virtual std::u16string toolFolder() = 0;
  virtual common::FileSignature toolSignature() = 0;
  // `path` is a full path.
  virtual DriverFile examine(std::u16string_view path) = 0;
};

}  // namespace linkwarden

// The driver's origin on Windows: the file's resolved path from its open
// handle, its Authenticode signature, and the tool's own.
#pragma once

#include "linkwarden/driver_origin.h"

namespace linkwarden {

class WinDriverOrigin final : public DriverOrigin {
 public:
  std::u16string toolFolder() override;
  common::FileSignature toolSignature() override;
  DriverFile examine(std::u16string_view path) override;
};

}  // namespace linkwarden

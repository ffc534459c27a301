// The driver's origin on Windows: the file's resolved path from its open
// handle, its Authenticode signature, and the tool's own.
#pragma once

#include <optional>

#include "linkwarden/driver_origin.h"

namespace linkwarden {

class WinDriverOrigin final : public DriverOrigin {
 public:
  std::u16string toolFolder() override;
  common::FileSignature toolSignature() override;
  DriverFile examine(std::u16string_view path) override;

 private:
  // Read at the first request: a running program's file cannot be written
  // while it runs, so its folder and signature stand for the tool's life.
  std::optional<std::u16string> folder_;
  std::optional<common::FileSignature> signature_;
};

}  // namespace linkwarden

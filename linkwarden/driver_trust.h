// Which drivers the elevated tool loads: only the product's own, a file that
// lies inside the tool's own folder (where only administrators can write)
// once every link on its way is resolved, signed by the tool's own publisher.
// Any other driver file would let whoever can write a request load a kernel
// driver of their choice.
#pragma once

#include <string>

#include "linkwarden/driver_origin.h"

namespace linkwarden {

struct DriverVerdict {
  bool trusted = false;
  std::string reason;         // why (not), for the log (GBK)
  std::u16string binaryPath;  // the resolved path to register, when trusted
};

DriverVerdict judgeDriver(std::u16string_view toolFolder, const common::FileSignature& toolSignature,
                          const DriverFile& driver);

// `path` without the "\\?\" (or "\\?\UNC\") prefix of a resolved path, or
// the "\??\" of a path the service manager holds.
std::u16string withoutVerbatimPrefix(std::u16string_view path);

// Whether the file a service is registered with lies in the tool's folder,
// by its text: only administrators register services, so a service whose
// file is named there is the product's, whatever became of the file.
bool registeredInToolFolder(std::u16string_view registeredPath, std::u16string_view toolFolder);

}  // namespace linkwarden

// Where an open file really lies: its full path with every link, junction
// and mount point on the way followed, as the system resolved it for the
// handle ("\\?\C:\..." form). A name checked before an open can be changed
// before it; the handle's own path cannot.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace common {

// Empty (with `error`) when it cannot be read.
std::u16string finalPathOf(HANDLE file, std::uint32_t& error);

}  // namespace common

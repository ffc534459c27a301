// The extended-length form of a full path ("\\?\C:\...", "\\?\UNC\server\share\..."),
// which the file functions take at any length where the plain form stops at
// MAX_PATH (260) characters.
#pragma once

#include <string>
#include <string_view>

namespace common {

// `fullPath` must be absolute (drive or UNC); a path already in the extended
// form is returned as it is.
std::u16string extendedLengthPath(std::u16string_view fullPath);

}  // namespace common

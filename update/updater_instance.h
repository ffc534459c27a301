// One updater at a time for each installer it replaces: the first holds a
// named mutex and marks its window; a second finds that window, brings it to
// the front and ends, so that two never write the same files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace update {

// The instance's name for a replace path as the system resolved it (its full
// path): the same for every spelling that differs in letter case or in the
// kind of slash. "TavaroUpdate-" and 16 hexadecimal digits.
std::u16string InstanceName(std::u16string_view fullRppath);

// The 32 bits of that name's hash that mark the window.
std::uint32_t InstanceMark(std::u16string_view fullRppath);

}  // namespace update

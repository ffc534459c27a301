// The channel on Windows: named paging-file sections and process waits.
#pragma once

#include <windows.h>

#include <string_view>

#include "common/channel.h"
#include "common/unique_handle_win.h"

namespace common {

// Creates the section `name` with `requestedSize`, or opens it when it exists
// (then its own size stands).
SectionOpening openNamedSection(std::u16string_view name, DWORD requestedSize);

// A watch on process `pid` (synchronize access); its waits fail when the
// process could not be opened, whose error goes to `error`.
std::unique_ptr<ProcessWatch> watchProcess(std::uint32_t pid, std::uint32_t& error);

// A watch on a process the caller opened (with synchronize access).
std::unique_ptr<ProcessWatch> watchOpenedProcess(UniqueHandle process);

}  // namespace common

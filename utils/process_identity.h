// The running process as the log file names see it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace logq {

std::uint32_t currentProcessId();
std::uint32_t currentThreadId();
// File name (without folder) of the module that holds `address`; empty when unknown.
std::string moduleFileNameOf(const void* address);
// Full path of the program file; empty when it cannot be obtained.
std::string currentModulePath();

// The program's file name without folder and extension ("process" for an empty path).
std::string processNameFromPath(std::string_view modulePath);
// The process id as at least six zero-padded digits.
std::string formatPid(std::uint32_t pid);

}  // namespace logq

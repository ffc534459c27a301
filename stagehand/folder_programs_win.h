// What keeps an installation folder from being replaced or removed: programs
// running from it, and files held open without sharing.
#pragma once

#include <windows.h>

#include <string>

namespace stagehand {

// Waits up to `seconds` until no program runs from `folder` (or below it) and
// every file below it can be opened for writing; returns the first program
// or file still in the way, or an empty text when nothing is.
std::wstring waitUntilReplaceable(const std::wstring& folder, DWORD seconds);

// Asks every program running from `folder` to close (WM_CLOSE to its
// windows), waits up to `seconds` for them, and ends those still running.
// Returns how many had to be ended.
int endFolderPrograms(const std::wstring& folder, DWORD seconds);

}  // namespace stagehand

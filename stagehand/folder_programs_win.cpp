#include "stagehand/folder_programs_win.h"

#include <vector>

#include "common/folder_programs_win.h"
#include "common/unique_handle_win.h"

namespace stagehand {
namespace {

constexpr DWORD kPollMillis = 250;

// The first file below `folder` that another process holds without sharing writes.
std::wstring firstFileInUse(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  common::UniqueFindHandle listing(FindFirstFileW((folder + L"\\*").c_str(), &entry));
  if (!listing) return {};
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L".." || (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    const std::wstring path = folder + L"\\" + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (std::wstring inner = firstFileInUse(path); !inner.empty()) return inner;
      continue;
    }
    common::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    const DWORD error = GetLastError();
    if (!file && (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)) return path;
  } while (FindNextFileW(listing.get(), &entry));
  return {};
}

std::wstring firstInTheWay(const std::wstring& folder) {
  const std::vector<common::RunningProgram> running = common::programsRunningFrom(folder);
  if (!running.empty()) return running.front().image;
  return firstFileInUse(folder);
}

BOOL CALLBACK closeWindowOf(HWND window, LPARAM pid) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(pid)) PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}

}  // namespace

std::wstring waitUntilReplaceable(const std::wstring& folder, DWORD seconds) {
  const ULONGLONG until = GetTickCount64() + seconds * 1000ull;
  for (;;) {
    std::wstring inTheWay = firstInTheWay(folder);
    if (inTheWay.empty() || GetTickCount64() >= until) return inTheWay;
    Sleep(kPollMillis);
  }
}

int endFolderPrograms(const std::wstring& folder, DWORD seconds) {
  using common::programsRunningFrom;
  for (const common::RunningProgram& program : programsRunningFrom(folder)) {
    EnumWindows(&closeWindowOf, static_cast<LPARAM>(program.pid));
  }
  const ULONGLONG until = GetTickCount64() + seconds * 1000ull;
  while (!programsRunningFrom(folder).empty() && GetTickCount64() < until) Sleep(kPollMillis);
  int ended = 0;
  for (const common::RunningProgram& program : programsRunningFrom(folder)) {
    common::UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, program.pid));
    if (process && TerminateProcess(process.get(), 1)) {
      WaitForSingleObject(process.get(), 5000);
      ++ended;
    }
  }
  return ended;
}

}  // namespace stagehand

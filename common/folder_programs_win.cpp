#include "common/folder_programs_win.h"

#include <tlhelp32.h>

#include "common/unique_handle_win.h"
#include "common/wide_win.h"

namespace common {
namespace {

bool isBelow(const std::wstring& path, const std::wstring& folder) {
  std::wstring prefix = folder;
  if (!prefix.empty() && prefix.back() != L'\\') prefix += L'\\';
  return path.size() > prefix.size() && sameFileName(std::wstring_view(path).substr(0, prefix.size()), prefix);
}

}  // namespace

std::vector<RunningProgram> programsRunningFrom(const std::wstring& folder) {
  std::vector<RunningProgram> found;
  UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) continue;
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    if (!process) continue;
    wchar_t image[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    if (!QueryFullProcessImageNameW(process.get(), 0, image, &size)) continue;
    if (isBelow(image, folder)) found.push_back({entry.th32ProcessID, image});
  }
  return found;
}

}  // namespace common

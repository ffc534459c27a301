#include "tests/e2e/process_win.h"

#include <atomic>
#include <fstream>
#include <iterator>

namespace e2e {

std::wstring windowsPath(const char* unixPath) {
  std::wstring path = L"Z:";
  for (const char* p = unixPath; *p != '\0'; ++p) path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
  return path;
}

std::optional<DWORD> waitExit(HANDLE process, DWORD millis) {
  if (WaitForSingleObject(process, millis) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(process, &code)) return std::nullopt;
  return code;
}

std::wstring tempPath(const std::wstring& stem) {
  static std::atomic<int> counter{0};
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(counter++);
}

std::string readFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<HWND> topLevelWindowsOf(DWORD pid) {
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search{pid, {}};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s->pid) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

RecorderFile::RecorderFile() : path_(tempPath(L"recorded") + L".txt") {
  SetEnvironmentVariableW(L"RECORD_ARGS_FILE", path_.c_str());
}

RecorderFile::~RecorderFile() {
  DeleteFileW(path_.c_str());
  SetEnvironmentVariableW(L"RECORD_ARGS_FILE", nullptr);
}

std::string RecorderFile::text() const { return readFile(path_); }

HWND waitForVisibleWindow(DWORD pid, const std::wstring& className, DWORD millis) {
  const ULONGLONG until = GetTickCount64() + millis;
  while (GetTickCount64() < until) {
    for (HWND window : topLevelWindowsOf(pid)) {
      wchar_t name[64] = {};
      GetClassNameW(window, name, 63);
      if (IsWindowVisible(window) && className == name) return window;
    }
    Sleep(5);
  }
  return nullptr;
}

}  // namespace e2e

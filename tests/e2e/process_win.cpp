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

Process start(const std::wstring& program, const std::wstring& arguments, const std::wstring& workingFolder) {
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  Process process;
  if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info)) {
    common::UniqueHandle thread(info.hThread);
    process.handle.reset(info.hProcess);
    process.pid = info.dwProcessId;
  }
  return process;
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

}  // namespace e2e

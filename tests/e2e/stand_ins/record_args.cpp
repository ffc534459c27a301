// A stand-in for a program that the tools start (netsh.exe, a marker
// program): it appends one UTF-8 line to the file named by RECORD_ARGS_FILE:
//   show=<wShowWindow of its start-up info> args=<its parameters>[ cwd=<its folder>]
// "--sleep=MS" among its parameters makes it sleep that long first.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int main() {
  const wchar_t* commandLine = GetCommandLineW();
  // The parameters: everything after the (possibly quoted) program path.
  const wchar_t* rest = commandLine;
  if (*rest == L'"') {
    rest = std::wcschr(rest + 1, L'"');
    rest = rest ? rest + 1 : commandLine + std::wcslen(commandLine);
  } else {
    while (*rest != L'\0' && *rest != L' ') ++rest;
  }
  if (*rest == L' ') ++rest;
  if (const wchar_t* sleep = std::wcsstr(rest, L"--sleep=")) Sleep(static_cast<DWORD>(_wtoi(sleep + 8)));

  wchar_t path[MAX_PATH];
  if (GetEnvironmentVariableW(L"RECORD_ARGS_FILE", path, MAX_PATH) == 0) return 2;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  std::FILE* file = _wfopen(path, L"ab");
  if (file == nullptr) return 3;
  const unsigned show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : 99u;
  std::wstring line = L"show=" + std::to_wstring(show) + L" args=" + rest;
  // With RECORD_ARGS_CWD set, the folder it was started in follows.
  if (GetEnvironmentVariableW(L"RECORD_ARGS_CWD", nullptr, 0) != 0) {
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    line += std::wstring(L" cwd=") + folder;
  }
  line += L"\n";
  char utf8[8192];
  const int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8, sizeof utf8,
                                    nullptr, nullptr);
  std::fwrite(utf8, 1, static_cast<std::size_t>(n > 0 ? n : 0), file);
  std::fclose(file);
  return 0;
}

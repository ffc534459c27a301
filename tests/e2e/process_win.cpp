#include "tests/e2e/process_win.h"

#include <tlhelp32.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

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

namespace {

ULONGLONG creationTime(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

}  // namespace

std::vector<std::string> endDescendants() {
  const ULONGLONG ownStart = creationTime(GetCurrentProcess());
  std::map<DWORD, std::pair<DWORD, std::string>> parentAndName;
  common::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return {};
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    std::string name;
    for (const wchar_t* c = entry.szExeFile; *c != L'\0'; ++c) name += static_cast<char>(*c < 128 ? *c : '?');
    parentAndName[entry.th32ProcessID] = {entry.th32ParentProcessID, name};
  }
  // Wine reuses process ids, so a parent id alone could name a process that
  // ended: only processes started after this one count as its descendants
  // (the session's own, such as the service manager, are older).
  std::set<DWORD> ours{GetCurrentProcessId()};
  std::vector<std::string> ended;
  for (bool grew = true; grew;) {
    grew = false;
    for (const auto& [pid, parent] : parentAndName) {
      // An orphan counts too: a killed process's children name a parent
      // that is gone, and in this test's Wine session nothing else starts
      // processes (the service manager's driver hosts have a live parent).
      const bool orphan = parentAndName.count(parent.first) == 0;
      if (ours.count(pid) != 0 || (ours.count(parent.first) == 0 && !orphan)) continue;
      common::UniqueHandle process(
          OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
      if (!process || creationTime(process.get()) < ownStart) continue;
      ours.insert(pid);
      grew = true;
      if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) continue;
      TerminateProcess(process.get(), 9);
      WaitForSingleObject(process.get(), 5000);
      ended.push_back(parent.second + " " + std::to_string(pid));
    }
  }
  return ended;
}

std::wstring tempPath(const std::wstring& stem) {
  static std::atomic<int> counter{0};
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(counter++);
}

namespace {

// A path in Wine's Unix form, quoted for a shell-less command line; empty when unknown.
std::wstring quotedUnixPath(const std::wstring& path) {
  // Wine's own path conversion, looked up by name (no import library has it).
  using UnixName = char*(__cdecl*)(const wchar_t*);
  auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* name = unixName == nullptr ? nullptr : unixName(path.c_str());
  if (name == nullptr) return {};
  std::wstring text = L"\"";
  for (const char* p = name; *p != '\0'; ++p) text += static_cast<wchar_t>(static_cast<unsigned char>(*p));
  HeapFree(GetProcessHeap(), 0, name);
  return text + L"\"";
}

// Runs a Unix program: Wine starts one named by its Unix path in the command line.
void runUnix(std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return;
  }
  common::UniqueHandle process(info.hProcess);
  common::UniqueHandle thread(info.hThread);
  waitExit(process.get(), kGenerous);
}

// Wine's handle on a Unix program tells neither its status nor its end: wait for the effect.
bool existsWithin(const std::wstring& path, bool wanted) {
  for (int i = 0; i < 500; ++i, Sleep(20)) {
    if ((GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) == wanted) return true;
  }
  return false;
}

}  // namespace

bool makeUnixLink(const std::wstring& target, const std::wstring& link) {
  runUnix(L"/bin/ln -s " + quotedUnixPath(target) + L" " + quotedUnixPath(link));
  return existsWithin(link, true);
}

bool removeUnixLink(const std::wstring& link) {
  runUnix(L"/bin/rm -f " + quotedUnixPath(link));
  return existsWithin(link, false);
}

std::string readFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

namespace {

struct WindowSearch {
  DWORD pid;
  std::vector<HWND> found;
};

// A window procedure's calling convention: a lambda has the default one, which is another on i686.
BOOL CALLBACK collectWindowOf(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->pid) search->found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> topLevelWindowsOf(DWORD pid) {
  WindowSearch search{pid, {}};
  EnumWindows(collectWindowOf, reinterpret_cast<LPARAM>(&search));
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

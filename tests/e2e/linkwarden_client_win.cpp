#include "tests/e2e/linkwarden_client_win.h"

#include <filesystem>
#include <fstream>

#include "tests/e2e/process_win.h"

namespace e2e {
namespace {

const std::wstring kClient = windowsPath(CLIENT_EXE);
constexpr wchar_t kJournalKey[] = L"SOFTWARE\\Tavaro\\Linkwarden";

// The value after `key` on its report line.
std::string reportValue(const std::string& report, const std::string& key) {
  const std::size_t at = report.find(key);
  if (at == std::string::npos) return {};
  const std::size_t end = report.find('\n', at);
  return report.substr(at + key.size(), end - at - key.size());
}

// "log\\linkwarden_linkwarden_<date and minute>_<pid, six digits>_000.log", or empty.
std::wstring findToolLog(DWORD pid) {
  wchar_t digits[16];
  swprintf(digits, 16, L"%06lu", pid);
  const std::wstring pattern = L"log\\linkwarden_linkwarden_????????????_" + std::wstring(digits) + L"_000.log";
  // Wine reuses process ids: of the logs of this pid the newest (the names
  // carry the minute) is this run's.
  WIN32_FIND_DATAW found;
  common::UniqueFindHandle search(FindFirstFileW(pattern.c_str(), &found));
  if (!search) return {};
  std::wstring newest;
  do {
    newest = std::max(newest, std::wstring(found.cFileName));
  } while (FindNextFileW(search.get(), &found));
  return L"log\\" + newest;
}

}  // namespace

common::UniqueHandle toolHandleFrom(const std::string& report) {
  const std::string value = reportValue(report, "tool-handle=");
  if (value.empty()) return common::UniqueHandle();
  return common::UniqueHandle(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(std::stoull(value))));
}

ClientRun runClient(const std::wstring& script) {
  const std::wstring report = tempPath(L"lw-client");
  Process client = start(kClient, L"--report=" + report + L" --give-tool-to=" + ownPid() + L" " + script);
  ClientRun run;
  if (!client.handle) return run;
  run.exitCode = waitExit(client.handle.get(), kGenerous);
  run.report = readFile(report);
  run.tool = toolHandleFrom(run.report);
  DeleteFileW(report.c_str());
  return run;
}

std::string toolLog(HANDLE tool) {
  const std::wstring log = findToolLog(GetProcessId(tool));
  return log.empty() ? std::string() : readFile(log);
}

std::vector<std::string> recordedCalls(const std::string& record, std::initializer_list<const char*> functions) {
  std::vector<std::string> calls;
  std::size_t start = 0;
  for (std::size_t end; (end = record.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = record.substr(start, end - start);
    for (const char* function : functions) {
      if (line.rfind(std::string(function) + " ", 0) == 0) calls.push_back(line);
    }
  }
  return calls;
}

DWORD serviceState(const std::wstring& name, DWORD& error) {
  common::UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  common::UniqueServiceHandle service(
      manager ? OpenServiceW(manager.get(), name.c_str(), SERVICE_QUERY_STATUS) : nullptr);
  error = service ? 0 : GetLastError();
  SERVICE_STATUS status{};
  if (!service || !QueryServiceStatus(service.get(), &status)) return 0;
  return status.dwCurrentState;
}

std::vector<JournalValue> journalValues() {
  std::vector<JournalValue> values;
  common::UniqueHKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kJournalKey, 0, KEY_READ | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS) {
    return values;
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    DWORD size = 0;
    if (RegEnumValueW(key.get(), index, name, &length, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) break;
    JournalValue value{std::wstring(name, length), std::string(size, '\0'), std::nullopt};
    if (RegQueryValueExW(key.get(), value.name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(value.bytes.data()),
                         &size) == ERROR_SUCCESS) {
      value.bytes.resize(size);
      value.entry = linkwarden::decodeUndoEntry(value.bytes);
    }
    values.push_back(std::move(value));
  }
  return values;
}

void removeJournal() {
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kJournalKey, KEY_WOW64_64KEY, 0);
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Tavaro", KEY_WOW64_64KEY, 0);
}

RecordedSystem::RecordedSystem() : folder_(tempPath(L"lw-recorded")) {
  if (!CreateDirectoryW(folder_.c_str(), nullptr)) return;
  std::ofstream(routeList().c_str(), std::ios::binary) << "\xEF\xBB\xBF" "10.0.0.0/8\r\n192.168.0.0/16\r\nnot a route\r\n";
  const std::string guid = "{5A1D2C3B-0000-4000-8000-000000000007}";
  std::ofstream(std::wstring(folder_ + L"\\script.txt").c_str(), std::ios::binary)
      << "SetIpForwardEntry=1168\nmetric.7=35\ndns.7=10.9.9.1,10.9.9.2\n"
      << "device.7=\\DEVICE\\TCPIP_" << guid << "\nfriendly.7=Scripted Ethernet\n"
      << "ras=other-vpn,nettavaro-1,nettavaro-2\n";
  const std::wstring key = L"SYSTEM\\ControlSet001\\services\\Tcpip\\Parameters\\Interfaces\\" +
                           std::wstring(guid.begin(), guid.end());
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, interfaceKey_.put(),
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  const wchar_t servers[] = L"10.9.9.1,10.9.9.2";
  RegSetValueExW(interfaceKey_.get(), L"NameServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(servers),
                 sizeof servers);

  // The tool starts the system's netsh by its full path: the recorder takes
  // its place in this private prefix for the scenario.
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  systemNetsh_ = std::wstring(system) + L"\\netsh.exe";
  savedNetsh_ = folder_ + L"\\netsh.saved";
  const std::wstring recorder = windowsPath(RECORDED_TOOL_EXE);
  if (!CopyFileW(systemNetsh_.c_str(), savedNetsh_.c_str(), FALSE) ||
      !CopyFileW((recorder.substr(0, recorder.rfind(L'\\')) + L"\\netsh.exe").c_str(), systemNetsh_.c_str(), FALSE)) {
    return;
  }
  netshRecord_ = folder_ + L"\\netsh.txt";
  SetEnvironmentVariableW(L"RECORD_ARGS_FILE", netshRecord_.c_str());
  SetEnvironmentVariableW(L"STANDIN_RECORD", (folder_ + L"\\record.txt").c_str());
  SetEnvironmentVariableW(L"STANDIN_SCRIPT", (folder_ + L"\\script.txt").c_str());
  ready_ = true;
}

RecordedSystem::~RecordedSystem() {
  if (!savedNetsh_.empty()) CopyFileW(savedNetsh_.c_str(), systemNetsh_.c_str(), FALSE);
  SetEnvironmentVariableW(L"RECORD_ARGS_FILE", nullptr);
  SetEnvironmentVariableW(L"STANDIN_RECORD", nullptr);
  SetEnvironmentVariableW(L"STANDIN_SCRIPT", nullptr);
  if (interfaceKey_) RegDeleteValueW(interfaceKey_.get(), L"NameServer");
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(folder_), ignored);
}

std::string RecordedSystem::record() const { return readFile(folder_ + L"\\record.txt"); }
std::string RecordedSystem::netshCommands() const { return readFile(netshRecord_); }
void RecordedSystem::clearRecords() const {
  DeleteFileW((folder_ + L"\\record.txt").c_str());
  DeleteFileW(netshRecord_.c_str());
}

}  // namespace e2e

// linkwarden.exe driven by the stand-in client, for real, under Wine.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <vector>
#include <optional>
#include <string>
#include <thread>

#include "common/security_win.h"
#include "common/wide_win.h"
#include "linkwarden/command_block.h"
#include "linkwarden/linkwarden.h"
#include "tests/e2e/process_win.h"
#include "tests/wine_limits_win.h"

namespace {

using common::UniqueHandle;
using common::UniqueHKey;
using e2e::kGenerous;
using e2e::ownPid;
using e2e::RecorderFile;

const std::wstring kTool = e2e::windowsPath(LINKWARDEN_EXE);
const std::wstring kClient = e2e::windowsPath(CLIENT_EXE);
const std::wstring kDriver = e2e::windowsPath(TEST_DRIVER);

// The value after `key` on its report line ("tool-handle=123").
std::string reportValue(const std::string& report, const std::string& key) {
  const std::size_t at = report.find(key);
  if (at == std::string::npos) return {};
  const std::size_t end = report.find('\n', at);
  return report.substr(at + key.size(), end - at - key.size());
}

// Our own handle on the tool, which the client duplicated into this process.
UniqueHandle toolHandleFrom(const std::string& report) {
  const std::string value = reportValue(report, "tool-handle=");
  if (value.empty()) return UniqueHandle();
  return UniqueHandle(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(std::stoull(value))));
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

struct ClientSection {
  UniqueHandle mapping;
  common::UniqueView view;
  linkwarden::CommandBlock* block = nullptr;

  ClientSection(const std::wstring& name, DWORD size) {
    std::uint32_t error = 0;
    mapping = common::createOwnedSection(common::fromWide(name), size, error);
    if (mapping) view.reset(MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    block = static_cast<linkwarden::CommandBlock*>(view.get());
  }
};

// What one run of the client left behind.
struct ClientRun {
  std::optional<DWORD> exitCode;
  std::string report;
  UniqueHandle tool;  // our own handle on the tool the client started
};

ClientRun runClient(const std::wstring& script) {
  const std::wstring report = e2e::tempPath(L"lw-client");
  e2e::Process client = e2e::start(kClient, L"--report=" + report + L" --give-tool-to=" + ownPid() + L" " + script);
  ClientRun run;
  if (!client.handle) return run;
  run.exitCode = e2e::waitExit(client.handle.get(), kGenerous);
  run.report = e2e::readFile(report);
  run.tool = toolHandleFrom(run.report);
  DeleteFileW(report.c_str());
  return run;
}

// The tool's log records, read once the tool has ended.
std::string toolLog(HANDLE tool) {
  const std::wstring log = findToolLog(GetProcessId(tool));
  return log.empty() ? std::string() : e2e::readFile(log);
}

// The client raises driver, DNS and route requests in one write, sees all
// three acknowledged and exits; the tool then exits 0 within a second.
TEST(LinkwardenScenario, FullSessionThenToolEndsAfterClient) {
  ClientRun run = runClient(
      L"driver-install LwSvc C:\\nowhere\\lw.sys dns-apply 7 10.0.0.1 10.0.0.2"
      L" route-pattern 10.0.0.254 7 20 route-add C:\\nowhere\\routes.txt raise kickoff " + kClient + L" kickoff " + kClient);
  EXPECT_EQ(run.exitCode, 0u);
  // One kickoff serves the client's second section for both requests.
  const std::size_t kickoffStart = run.report.find("kickoff: started pid ");
  ASSERT_NE(kickoffStart, std::string::npos) << run.report;
  const std::size_t pidAt = kickoffStart + 21;
  const std::string pid = run.report.substr(pidAt, run.report.find(' ', pidAt) - pidAt);
  EXPECT_NE(run.report.find("kickoff: pid " + pid + " asked to open "), std::string::npos) << run.report;
  EXPECT_EQ(run.report.find("kickoff: started pid ", kickoffStart + 1), std::string::npos) << run.report;
  EXPECT_NE(run.report.find("raised driver dns route\n"), std::string::npos) << run.report;
  EXPECT_NE(run.report.find("acknowledged driver dns route in "), std::string::npos) << run.report;
  ASSERT_TRUE(run.tool) << run.report;
  EXPECT_EQ(e2e::waitExit(run.tool.get(), 1000), 0u);

  // The tool's log, below its current folder (ours, inherited through the
  // client), holds the start texts in GBK; the exit text is below its level.
  const std::string records = toolLog(run.tool.get());
  const std::size_t started = records.find("LOG_ERROR linkwarden \xbf\xaa\xca\xbc 1 linkwarden:");
  const std::size_t watching =
      records.find("LOG_ERROR linkwarden \xbf\xaa\xca\xbc\xc9\xf9\xc3\xf7" "cur_forward linkwarden:");
  EXPECT_NE(started, std::string::npos) << records;
  EXPECT_NE(watching, std::string::npos) << records;
  EXPECT_LT(started, watching);
  EXPECT_EQ(records.find("\xcd\xcb\xb3\xf6"), std::string::npos);  // "退出"
}

// The lines of a stand-in's record that begin with one of `functions`, in order.
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

// The tool's adapters against recording stand-ins of iphlpapi and rasapi32
// (and a recorder in place of netsh): a route list request sets one row per
// prefix with the interface's metric and creates it after 1168; the DNS
// capture reads the scripted adapter and the registry, and the exit sequence
// puts those servers back through netsh, hangs up and deletes the first
// product connection only, and deletes the routes with the saved pattern.
TEST(LinkwardenScenario, AdaptersAgainstRecordingSystemLibraries) {
  const std::wstring folder = e2e::tempPath(L"lw-recorded");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring list = folder + L"\\routes.txt";
  std::ofstream(list.c_str(), std::ios::binary) << "\xEF\xBB\xBF" "10.0.0.0/8\r\n192.168.0.0/16\r\nnot a route\r\n";
  const std::string guid = "{5A1D2C3B-0000-4000-8000-000000000007}";
  std::ofstream(std::wstring(folder + L"\\script.txt").c_str(), std::ios::binary)
      << "SetIpForwardEntry=1168\nmetric.7=35\ndns.7=10.9.9.1,10.9.9.2\n"
      << "device.7=\\DEVICE\\TCPIP_" << guid << "\nfriendly.7=Scripted Ethernet\n"
      << "ras=other-vpn,nettavaro-1,nettavaro-2\n";
  const std::wstring key = L"SYSTEM\\ControlSet001\\services\\Tcpip\\Parameters\\Interfaces\\" +
                           std::wstring(guid.begin(), guid.end());
  UniqueHKey interfaceKey;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            interfaceKey.put(), nullptr),
            ERROR_SUCCESS);
  const wchar_t servers[] = L"10.9.9.1,10.9.9.2";
  RegSetValueExW(interfaceKey.get(), L"NameServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(servers), sizeof servers);

  // The tool starts the system's netsh by its full path: the recorder takes
  // its place in this private prefix for the scenario.
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring systemNetsh = std::wstring(system) + L"\\netsh.exe", savedNetsh = folder + L"\\netsh.saved";
  const std::wstring recorder = e2e::windowsPath(RECORDED_TOOL_EXE);
  ASSERT_TRUE(CopyFileW(systemNetsh.c_str(), savedNetsh.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((recorder.substr(0, recorder.rfind(L'\\')) + L"\\netsh.exe").c_str(), systemNetsh.c_str(), FALSE));
  // A 32-bit program (the 32-bit build's test and tool) names system32 and reaches SysWOW64: the copy landed there.
  BOOL wow64 = FALSE;
  wchar_t wow64Folder[MAX_PATH] = {};
  if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64 && GetSystemWow64DirectoryW(wow64Folder, MAX_PATH) != 0) {
    EXPECT_EQ(e2e::readFile(std::wstring(wow64Folder) + L"\\netsh.exe"),
              e2e::readFile(recorder.substr(0, recorder.rfind(L'\\')) + L"\\netsh.exe"));
  }
  e2e::RecorderFile netsh;
  SetEnvironmentVariableW(L"STANDIN_RECORD", (folder + L"\\record.txt").c_str());
  SetEnvironmentVariableW(L"STANDIN_SCRIPT", (folder + L"\\script.txt").c_str());
  ClientRun run = runClient(L"--tool=" + e2e::windowsPath(RECORDED_TOOL_EXE) +
                            L" route-pattern 10.0.0.254 7 20 route-add " + list + L" dns-apply 7 10.0.0.1 10.0.0.2 raise");
  EXPECT_EQ(run.exitCode, 0u);
  ASSERT_TRUE(run.tool) << run.report;
  EXPECT_EQ(e2e::waitExit(run.tool.get(), kGenerous), 0u);
  EXPECT_NE(run.report.find("route metric 35\n"), std::string::npos) << run.report;  // the lookup's answer reached the block
  const std::string record = e2e::readFile(folder + L"\\record.txt");

  const std::string fields = " policy=0 nexthop=10.0.0.254 if=7 type=4 proto=3 age=0 nexthopas=0 metric=";
  EXPECT_EQ(recordedCalls(record, {"GetIpInterfaceEntry", "SetIpForwardEntry", "CreateIpForwardEntry",
                                   "DeleteIpForwardEntry"}),
            (std::vector<std::string>{
                "GetIpInterfaceEntry family=2 if=7 luid=0",
                "SetIpForwardEntry dest=10.0.0.0 mask=255.0.0.0" + fields + "35,0,0,0,0",
                "CreateIpForwardEntry dest=10.0.0.0 mask=255.0.0.0" + fields + "35,0,0,0,0",
                "SetIpForwardEntry dest=192.168.0.0 mask=255.255.0.0" + fields + "35,0,0,0,0",
                "CreateIpForwardEntry dest=192.168.0.0 mask=255.255.0.0" + fields + "35,0,0,0,0",
                // at exit, with the pattern as the client wrote it
                "DeleteIpForwardEntry dest=10.0.0.0 mask=255.0.0.0" + fields + "20,0,0,0,0",
                "DeleteIpForwardEntry dest=192.168.0.0 mask=255.255.0.0" + fields + "20,0,0,0,0"}))
      << record;
  EXPECT_EQ(recordedCalls(record, {"RasHangUpW", "RasDeleteEntryW"}),
            (std::vector<std::string>{"RasHangUpW connection=nettavaro-1",
                                      "RasDeleteEntryW book=<default> entry=nettavaro-1"}))
      << record;
  EXPECT_FALSE(recordedCalls(record, {"GetPerAdapterInfo"}).empty());
  EXPECT_FALSE(recordedCalls(record, {"GetInterfaceInfo"}).empty());

  // netsh: the client's servers, then the captured ones back at exit.
  const std::string commands = netsh.text();
  const std::size_t applied =
      commands.find("show=0 args= interface ip set dnsservers \"Scripted Ethernet\" static 10.0.0.1 validate=no\n");
  const std::size_t restored =
      commands.find("show=0 args= interface ip set dnsservers \"Scripted Ethernet\" static 10.9.9.1 validate=no\n");
  EXPECT_NE(applied, std::string::npos) << commands;
  EXPECT_NE(restored, std::string::npos) << commands;
  EXPECT_LT(applied, restored);
  EXPECT_NE(commands.find("show=0 args= interface ip add dnsservers \"Scripted Ethernet\" 10.9.9.2 validate=no\n",
                          restored),
            std::string::npos)
      << commands;

  CopyFileW(savedNetsh.c_str(), systemNetsh.c_str(), FALSE);
  SetEnvironmentVariableW(L"STANDIN_RECORD", nullptr);
  SetEnvironmentVariableW(L"STANDIN_SCRIPT", nullptr);
  RegDeleteValueW(interfaceKey.get(), L"NameServer");
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(folder), ignored);
}

// Missing or invalid options: exit 87 at once.
TEST(LinkwardenScenario, BadOptionsExit87) {
  for (const std::wstring& arguments :
       {std::wstring(L"--filemapping-name=LwBad --watch=0"), std::wstring(L"--filemapping-name=LwBad"),
        L"--watch=" + ownPid(), L"--filemapping-name=" + std::wstring(32, L'n') + L" --watch=" + ownPid()}) {
    e2e::Process tool = e2e::start(kTool, arguments);
    ASSERT_TRUE(tool.handle);
    EXPECT_EQ(e2e::waitExit(tool.handle.get(), kGenerous), 87u) << arguments;
  }
}

// A client that has already ended when the tool starts: no pass is run (the
// pending request stays raised), and the tool exits 0.
TEST(LinkwardenScenario, ClientEndedBeforeTheToolStarted) {
  const std::wstring name = L"LwEnded" + ownPid();
  ClientSection section(name, linkwarden::kCommandBlockSize);
  ASSERT_NE(section.block, nullptr);
  section.block->driver.pending = 1;
  section.block->driver.install = 1;

  e2e::Process ended = e2e::start(L"C:\\windows\\system32\\cmd.exe", L"/c exit 0");
  ASSERT_TRUE(ended.handle);
  ASSERT_TRUE(e2e::waitExit(ended.handle.get(), kGenerous).has_value());

  e2e::Process tool = e2e::start(kTool, L"--filemapping-name=" + name + L" --watch=" + std::to_wstring(ended.pid));
  EXPECT_EQ(e2e::waitExit(tool.handle.get(), kGenerous), 0u);
  EXPECT_EQ(section.block->driver.pending, 1);
}

// No section from any client: the tool does not serve its own 270-byte
// section; it ends with the documented code instead of crashing. Nor does it
// serve a section owned by somebody other than the client's user (here the
// Administrators group): it says so and reads no request.
TEST(LinkwardenScenario, MissingOrStrangersSectionEndsWithItsCode) {
  e2e::Process tool = e2e::start(kTool, L"--filemapping-name=LwNobody" + ownPid() + L" --watch=" + ownPid());
  EXPECT_EQ(e2e::waitExit(tool.handle.get(), kGenerous), static_cast<DWORD>(linkwarden::kExitNoSection));

  const std::wstring name = L"LwStranger" + ownPid();
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAD:(A;;GA;;;WD)", SDDL_REVISION_1,
                                                                   &descriptor, nullptr));
  common::UniqueLocal release(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  UniqueHandle section(CreateFileMappingW(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0,
                                          linkwarden::kCommandBlockSize, name.c_str()));
  ASSERT_TRUE(section);
  std::uint32_t error = 0;
  ASSERT_EQ(common::objectOwner(section.get(), error), u"S-1-5-32-544");
  e2e::Process refused = e2e::start(kTool, L"--filemapping-name=" + name + L" --watch=" + ownPid());
  EXPECT_EQ(e2e::waitExit(refused.handle.get(), kGenerous), static_cast<DWORD>(linkwarden::kExitNoSection));
  EXPECT_NE(toolLog(refused.handle.get()).find("is owned by S-1-5-32-544, not by the client's user"),
            std::string::npos);
}

HWND hiddenDialogOf(DWORD pid) {
  for (HWND window : e2e::topLevelWindowsOf(pid)) {
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (std::wstring(className) == L"#32770") return window;
  }
  return nullptr;
}

DWORD serviceState(const std::wstring& name, DWORD& error);

// A session-end query that reaches the tool's hidden window while the client
// lives with a driver installed is held; it is answered only once the client
// has ended and the clean-up has run, and the answer lets the session end.
TEST(LinkwardenScenario, SessionEndQueryHeldUntilTheClientEndedAndTheCleanUpRan) {
  const std::wstring stem = L"Lw" + ownPid();
  UniqueHandle installed(CreateEventW(nullptr, TRUE, FALSE, (stem + L"Installed").c_str()));
  UniqueHandle exitNow(CreateEventW(nullptr, TRUE, FALSE, (stem + L"Exit").c_str()));
  const std::wstring name = L"lwsession" + ownPid();
  const std::wstring report = e2e::tempPath(L"lw-session");
  e2e::Process client = e2e::start(kClient, L"--report=" + report + L" --give-tool-to=" + ownPid() +
                                                L" driver-install " + name + L" " + kDriver + L" raise signal-event " +
                                                stem + L"Installed wait-event " + stem + L"Exit");
  ASSERT_EQ(WaitForSingleObject(installed.get(), kGenerous), WAIT_OBJECT_0) << e2e::readFile(report);
  UniqueHandle tool = toolHandleFrom(e2e::readFile(report));
  ASSERT_TRUE(tool);
  HWND window = hiddenDialogOf(GetProcessId(tool.get()));
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));

  std::atomic<bool> answered{false};
  DWORD_PTR answer = 0;
  bool clientEndedFirst = false;
  DWORD serviceError = 0;
  std::thread query([&] {
    SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, kGenerous, &answer);
    // What held when the answer came: the client gone, the driver service removed.
    clientEndedFirst = WaitForSingleObject(client.handle.get(), 0) == WAIT_OBJECT_0;
    serviceState(name, serviceError);
    answered = true;
  });
  Sleep(600);
  EXPECT_FALSE(answered.load());  // held: the client lives and its driver is installed

  SetEvent(exitNow.get());
  EXPECT_EQ(e2e::waitExit(client.handle.get(), kGenerous), 0u);
  for (int i = 0; i < 500 && !answered.load(); ++i) Sleep(10);
  EXPECT_TRUE(answered.load());
  query.join();
  EXPECT_TRUE(clientEndedFirst);
  EXPECT_EQ(serviceError, static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  EXPECT_EQ(e2e::waitExit(tool.get(), 5000), 0u);
  DeleteFileW(report.c_str());
}

// The state of a service in the real service control manager: its current
// state, or 0 with `error` set when it cannot be opened.
DWORD serviceState(const std::wstring& name, DWORD& error) {
  common::UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  common::UniqueServiceHandle service(
      manager ? OpenServiceW(manager.get(), name.c_str(), SERVICE_QUERY_STATUS) : nullptr);
  error = service ? 0 : GetLastError();
  SERVICE_STATUS status{};
  if (!service || !QueryServiceStatus(service.get(), &status)) return 0;
  return status.dwCurrentState;
}

// A driver request installs and starts the project's tiny kernel driver while
// the client runs; the tool removes it once the client has ended.
TEST(LinkwardenScenario, DriverInstalledThenRemovedAfterTheClient) {
  if (!tests::driversRunAsOnWindows()) GTEST_SKIP() << tests::kNoDriverReason;
  const std::wstring name = L"lwtest" + ownPid();
  const std::wstring stem = L"LwDrv" + ownPid();
  UniqueHandle installed(CreateEventW(nullptr, TRUE, FALSE, (stem + L"Installed").c_str()));
  UniqueHandle exitNow(CreateEventW(nullptr, TRUE, FALSE, (stem + L"Exit").c_str()));
  const std::wstring report = e2e::tempPath(L"lw-driver");
  e2e::Process client =
      e2e::start(kClient, L"--report=" + report + L" --give-tool-to=" + ownPid() + L" driver-install " + name + L" " +
                              kDriver + L" raise signal-event " + stem + L"Installed wait-event " + stem + L"Exit");
  ASSERT_EQ(WaitForSingleObject(installed.get(), kGenerous), WAIT_OBJECT_0) << e2e::readFile(report);
  DWORD error = 0;
  EXPECT_EQ(serviceState(name, error), static_cast<DWORD>(SERVICE_RUNNING)) << error;

  SetEvent(exitNow.get());
  EXPECT_EQ(e2e::waitExit(client.handle.get(), kGenerous), 0u);
  UniqueHandle tool = toolHandleFrom(e2e::readFile(report));
  ASSERT_TRUE(tool);
  EXPECT_EQ(e2e::waitExit(tool.get(), 5000), 0u);
  serviceState(name, error);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
  EXPECT_EQ(toolLog(tool.get()).find("Fail"), std::string::npos) << toolLog(tool.get());
  DeleteFileW(report.c_str());
}

// A driver file that does not exist: the service is created, its start fails
// and is logged with the request's failure; the exit removes the service.
TEST(LinkwardenScenario, MissingDriverFileFailsTheStart) {
  const std::wstring name = L"lwmissing" + ownPid();
  ClientRun run = runClient(L"driver-install " + name + L" C:\\nowhere\\missing.sys raise");
  EXPECT_EQ(run.exitCode, 0u);
  ASSERT_TRUE(run.tool);
  EXPECT_EQ(e2e::waitExit(run.tool.get(), 5000), 0u);
  const std::string records = toolLog(run.tool.get());
  const std::size_t startFailed = records.find("LOG_ERROR Start Service Fail: ");
  const std::string narrowName(name.begin(), name.end());
  const std::size_t requestFailed =
      records.find("LOG_ERROR \xb0\xb2\xd7\xb0\xc7\xfd\xb6\xaf[" + narrowName + "]\xca\xa7\xb0\xdc linkwarden:");
  EXPECT_NE(startFailed, std::string::npos) << records;
  EXPECT_NE(requestFailed, std::string::npos) << records;
  EXPECT_LT(startFailed, requestFailed);
  DWORD error = 0;
  serviceState(name, error);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
}

}  // namespace

namespace {

// A hostile client: garbage in every field, strings without terminators, a
// route list of a million lines and binary junk, requests raised again while
// the client dies. The tool keeps serving, cleans up and exits 0.
TEST(LinkwardenScenario, HostileClient) {
  const std::wstring list = e2e::tempPath(L"lw-hostile") + L".txt";
  {
    std::ofstream out(list.c_str(), std::ios::binary);
    out << "\x01\x02\xff\xfe";
    for (int i = 0; i < 1000000; ++i) out << (i % 7 == 0 ? "junk\x01\x7f/x\n" : "10.0.0.0/8\r\n");
    for (int i = 0; i < 4096; ++i) out << static_cast<char>(i * 37);
  }
  const std::wstring name = L"LwHostile" + ownPid();
  ClientSection section(name, linkwarden::kCommandBlockSize);
  ASSERT_NE(section.block, nullptr);
  auto* bytes = reinterpret_cast<unsigned char*>(section.block);
  std::uint32_t seed = 12345;
  auto garbage = [&] {
    for (std::size_t i = 0; i < linkwarden::kCommandBlockSize; ++i) {
      seed = seed * 1103515245u + 12345u;
      bytes[i] = static_cast<unsigned char>((seed >> 16) | 1);  // never a zero byte: no terminators
    }
  };
  garbage();
  std::copy(list.begin(), list.end(), section.block->route.listPath);
  section.block->route.listPath[list.size()] = u'\0';

  e2e::Process client = e2e::start(kClient.substr(0, kClient.find_last_of(L'\\') + 1) + L"record_args.exe",
                                   L"--sleep=120000 hostile-client");
  ASSERT_TRUE(client.handle);
  e2e::Process tool = e2e::start(kTool, L"--filemapping-name=" + name + L" --watch=" + std::to_wstring(client.pid));
  ASSERT_TRUE(tool.handle);
  auto acknowledged = [&](DWORD millis) {
    for (DWORD waited = 0; waited < millis; waited += 20) {
      if (section.block->driver.pending == 0 && section.block->dns.pending == 0 && section.block->route.pending == 0) {
        return true;
      }
      Sleep(20);
    }
    return false;
  };
  EXPECT_TRUE(acknowledged(120000));

  // Still serving: an ordinary request after the garbage.
  section.block->dns.pending = 0;
  section.block->driver.pending = 0;
  section.block->route.add = 0;
  section.block->route.pending = 1;
  EXPECT_TRUE(acknowledged(120000));

  // Garbage raised again, and the client dies in the middle of it.
  garbage();
  TerminateProcess(client.handle.get(), 9);
  EXPECT_EQ(e2e::waitExit(tool.handle.get(), 120000), 0u);
  DeleteFileW(list.c_str());
}

}  // namespace

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
#include "tests/e2e/linkwarden_client_win.h"
#include "tests/e2e/process_win.h"
#include "tests/wine_limits_win.h"

namespace {

using common::UniqueHandle;
using common::UniqueHKey;
using e2e::kGenerous;
using e2e::ownPid;
using e2e::RecorderFile;
using e2e::ClientRun;
using e2e::recordedCalls;
using e2e::runClient;
using e2e::serviceState;
using e2e::toolHandleFrom;
using e2e::toolLog;

const std::wstring kTool = e2e::windowsPath(LINKWARDEN_EXE);
const std::wstring kClient = e2e::windowsPath(CLIENT_EXE);
const std::wstring kDriver = e2e::windowsPath(TEST_DRIVER);

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

// The tool's adapters against recording stand-ins of iphlpapi and rasapi32
// (and a recorder in place of netsh): a route list request sets one row per
// prefix with the interface's metric and creates it after 1168; the DNS
// capture reads the scripted adapter and the registry, and the exit sequence
// puts those servers back through netsh, hangs up and deletes the first
// product connection only, and deletes the routes with the saved pattern.
TEST(LinkwardenScenario, AdaptersAgainstRecordingSystemLibraries) {
  e2e::removeJournal();  // what earlier scenarios' tools left would be undone first
  e2e::RecordedSystem recorded;
  ASSERT_TRUE(recorded.ready());
  // A 32-bit program (the 32-bit build's test and tool) names system32 and reaches SysWOW64: the recorder landed there.
  BOOL wow64 = FALSE;
  wchar_t wow64Folder[MAX_PATH] = {};
  const std::wstring recorder = e2e::windowsPath(RECORDED_TOOL_EXE);
  if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64 && GetSystemWow64DirectoryW(wow64Folder, MAX_PATH) != 0) {
    EXPECT_EQ(e2e::readFile(std::wstring(wow64Folder) + L"\\netsh.exe"),
              e2e::readFile(recorder.substr(0, recorder.rfind(L'\\')) + L"\\netsh.exe"));
  }
  ClientRun run = runClient(L"--tool=" + recorder + L" route-pattern 10.0.0.254 7 20 route-add " +
                            recorded.routeList() + L" dns-apply 7 10.0.0.1 10.0.0.2 raise");
  EXPECT_EQ(run.exitCode, 0u);
  ASSERT_TRUE(run.tool) << run.report;
  EXPECT_EQ(e2e::waitExit(run.tool.get(), kGenerous), 0u);
  EXPECT_NE(run.report.find("route metric 35\n"), std::string::npos) << run.report;  // the lookup's answer reached the block
  const std::string record = recorded.record();

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
  const std::string commands = recorded.netshCommands();
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

  EXPECT_TRUE(e2e::journalValues().empty());  // the normal exit leaves no entry
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

// The tool writes its log below its current folder, which is the client's.
// A "log" there that is a link to another folder (what a junction is on
// Windows) gets nothing written through it, and the tool serves its client
// all the same.
TEST(LinkwardenScenario, LogFolderThatIsALinkGetsNoFile) {
  const std::wstring folder = e2e::tempPath(L"lw-linked-log");
  const std::wstring elsewhere = e2e::tempPath(L"lw-elsewhere");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
  ASSERT_TRUE(e2e::makeUnixLink(elsewhere, folder + L"\\log"));
  const std::wstring report = folder + L"\\report.txt";
  e2e::Process client = e2e::start(kClient, L"--report=" + report + L" --give-tool-to=" + ownPid() +
                                                L" driver-remove lwnolog" + ownPid() + L" raise", folder);
  EXPECT_EQ(e2e::waitExit(client.handle.get(), kGenerous), 0u);
  UniqueHandle tool = toolHandleFrom(e2e::readFile(report));
  ASSERT_TRUE(tool) << e2e::readFile(report);
  EXPECT_EQ(e2e::waitExit(tool.get(), kGenerous), 0u);
  EXPECT_NE(e2e::readFile(report).find("acknowledged driver in "), std::string::npos) << e2e::readFile(report);
  WIN32_FIND_DATAW found;
  common::UniqueFindHandle search(FindFirstFileW((elsewhere + L"\\*.log").c_str(), &found));
  EXPECT_FALSE(search) << "written through the link: " << std::string(found.cFileName, found.cFileName + wcslen(found.cFileName));
  e2e::removeUnixLink(folder + L"\\log");
  DeleteFileW(report.c_str());
  RemoveDirectoryW(folder.c_str());
  RemoveDirectoryW(elsewhere.c_str());
}

// A client that has already ended when the tool starts: no pass is run (the
// pending request stays raised), and the tool exits 0. So does a client
// process that cannot be opened at all, after the exit sequence.
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

  constexpr wchar_t kNoSuchProcess[] = L"4294967292";  // a multiple of 4 no process gets here
  e2e::Process unopened = e2e::start(kTool, L"--filemapping-name=" + name + L" --watch=" + kNoSuchProcess);
  EXPECT_EQ(e2e::waitExit(unopened.handle.get(), kGenerous), 0u);
  EXPECT_EQ(section.block->driver.pending, 1);
  EXPECT_NE(toolLog(unopened.handle.get()).find("cannot open client process 4294967292 (error 87): nothing is served"),
            std::string::npos);
}

// No section from any client: the tool does not serve its own 270-byte
// section; it ends with the documented code instead of crashing. Nor does it
// serve a section owned by somebody other than the client's account (here
// the Administrators group): it says so and reads no request.
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
  EXPECT_EQ(e2e::waitExit(refused.handle.get(), kGenerous), static_cast<DWORD>(linkwarden::kExitClientRefused));
  EXPECT_NE(toolLog(refused.handle.get()).find("is owned by S-1-5-32-544, not by its user"),
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

// Only the product's own driver is loaded. A driver file that does not
// exist, a signed copy outside the tool's folder, the same copy reached
// through a link inside the folder (what a junction is on Windows), the
// driver unsigned and signed by another publisher: each is refused with its
// reason and the request fails as a failed install does; the service
// manager never sees any of them. A service of somebody else's under the
// requested name is neither started for an install of the product's driver
// nor removed.
TEST(LinkwardenScenario, OnlyTheProductsOwnDriverIsInstalled) {
  const std::wstring stem = L"lwrefused" + ownPid() + L"_";
  const std::wstring bin = kTool.substr(0, kTool.rfind(L'\\'));
  struct Refused {
    std::wstring name;
    std::wstring path;
    const char* reason;
  };
  const Refused cases[] = {
      {stem + L"missing", L"C:\\nowhere\\missing.sys", "it cannot be opened (error 3)"},
      {stem + L"outside", e2e::windowsPath(OUTSIDE_DRIVER), "it lies outside the tool's folder"},
      {stem + L"link", bin + L"\\outside-link\\lwtestdrv.sys", "it lies outside the tool's folder"},
      {stem + L"unsigned", e2e::windowsPath(UNSIGNED_DRIVER), "it is not signed"},
      {stem + L"other", e2e::windowsPath(OTHER_PUBLISHERS_DRIVER), "it is signed by another publisher"},
  };
  const std::wstring foreign = stem + L"foreign";
  {
    common::UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    const std::wstring outside = e2e::windowsPath(OUTSIDE_DRIVER);
    common::UniqueServiceHandle service(CreateServiceW(manager.get(), foreign.c_str(), foreign.c_str(),
                                                       SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                                                       SERVICE_ERROR_IGNORE, outside.c_str(), nullptr, nullptr,
                                                       nullptr, nullptr, nullptr));
    ASSERT_TRUE(service) << GetLastError();
  }
  std::wstring script = L"driver-install " + foreign + L" " + kDriver + L" raise driver-remove " + foreign + L" raise ";
  for (const Refused& c : cases) script += L"driver-install " + c.name + L" " + c.path + L" raise ";
  ClientRun run = runClient(script);
  EXPECT_EQ(run.exitCode, 0u) << run.report;
  ASSERT_TRUE(run.tool);
  EXPECT_EQ(e2e::waitExit(run.tool.get(), 5000), 0u);
  const std::string records = toolLog(run.tool.get());
  for (const Refused& c : cases) {
    const std::string name(c.name.begin(), c.name.end());
    SCOPED_TRACE(name);
    const std::size_t refused = records.find("driver of service [" + name + "] refused: " + c.reason);
    const std::size_t failed = records.find("LOG_ERROR \xb0\xb2\xd7\xb0\xc7\xfd\xb6\xaf[" + name + "]\xca\xa7\xb0\xdc");
    EXPECT_NE(refused, std::string::npos) << records;
    EXPECT_LT(refused, failed);
    DWORD error = 0;
    serviceState(c.name, error);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
  }
  DWORD error = 0;
  EXPECT_EQ(serviceState(foreign, error), static_cast<DWORD>(SERVICE_STOPPED)) << error;
  const std::string foreignName(foreign.begin(), foreign.end());
  EXPECT_NE(records.find("existing service [" + foreignName + "] not started"), std::string::npos) << records;
  EXPECT_NE(records.find("service [" + foreignName + "] is not removed"), std::string::npos) << records;
  EXPECT_EQ(records.find("Service Fail"), std::string::npos) << records;  // nothing else reached the service manager
  common::UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  common::UniqueServiceHandle service(OpenServiceW(manager.get(), foreign.c_str(), DELETE));
  EXPECT_TRUE(service && DeleteService(service.get()));
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

// The tool's undo journal under Wine, against the recording stand-ins and the
// real service manager: a session killed at any moment leaves nothing once a
// tool runs again; a journal place somebody else could write is refused; a
// torn entry is discarded; a second tool leaves the first one's entry alone.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/unique_handle_win.h"
#include "linkwarden/undo_entry.h"
#include "tests/e2e/installer_win.h"
#include "tests/e2e/linkwarden_client_win.h"
#include "tests/e2e/process_win.h"

namespace {

using common::UniqueHandle;
using e2e::kGenerous;

const std::wstring kClient = e2e::windowsPath(CLIENT_EXE);
const std::wstring kRecordedTool = e2e::windowsPath(RECORDED_TOOL_EXE);
// The tool loads a driver of its own folder only: the recorded tool's copy.
const std::wstring kDriver = kRecordedTool.substr(0, kRecordedTool.rfind(L'\\') + 1) + L"lwtestdrv.sys";
const std::wstring kSetup = e2e::windowsPath(SETUP_EXE);

// The client (and the tool it starts, which inherits the job) in a job of
// their own, so that both can be ended at once, as a crash or a power cut would.
struct JobRun {
  UniqueHandle job;
  e2e::Process client;
  DWORD startError = 0;  // why the job or the client could not be made
};

JobRun startInJob(const std::wstring& arguments) {
  JobRun run;
  run.job.reset(CreateJobObjectW(nullptr, nullptr));
  if (!run.job) {
    run.startError = GetLastError();
    return run;
  }
  // Whatever of the job is left when the test lets go of it ends then: no
  // process of a killed session outlives the test (nor holds its output).
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(run.job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
  std::wstring commandLine = L"\"" + kClient + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(kClient.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      nullptr, &startup, &info)) {
    run.startError = GetLastError();
    return run;
  }
  UniqueHandle thread(info.hThread);
  run.client.handle.reset(info.hProcess);
  run.client.pid = info.dwProcessId;
  AssignProcessToJobObject(run.job.get(), info.hProcess);
  ResumeThread(thread.get());
  return run;
}

// Ends every process of the job and waits until each has ended, each by its
// handle (Wine's count of active processes is not to be relied on: it kept
// counting processes that had ended normally). A process the session was
// starting as the job was ended joins it late, so the job is ended again
// until none is left.
bool jobEmpty(HANDLE job) {
  for (int round = 0; round < 20; ++round) {
    struct {
      JOBOBJECT_BASIC_PROCESS_ID_LIST list;
      ULONG_PTR more[63];
    } ids{};
    ids.list.NumberOfAssignedProcesses = 64;
    if (!QueryInformationJobObject(job, JobObjectBasicProcessIdList, &ids, sizeof ids, nullptr)) return false;
    bool left = false;
    for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList; ++i) {
      UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(ids.list.ProcessIdList[i])));
      left = left || (process && WaitForSingleObject(process.get(), 500) != WAIT_OBJECT_0);
    }
    if (!left) return true;
    TerminateJobObject(job, 9);
  }
  return false;
}

bool serviceExists(const std::wstring& name) {
  DWORD error = 0;
  e2e::serviceState(name, error);
  return error == 0;
}

// A service marked for deletion goes once nothing holds it and a pending start
// has ended (Wine's 32-bit driver host takes a while to fail the 64-bit driver).
bool serviceGone(const std::wstring& name) {
  for (int i = 0; i < 100 && serviceExists(name); ++i) Sleep(50);
  return !serviceExists(name);
}

std::string dotted(std::uint32_t networkOrder) {
  const auto* b = reinterpret_cast<const unsigned char*>(&networkOrder);
  return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." + std::to_string(b[3]);
}

// "dest=10.0.0.0 mask=255.0.0.0" of each recorded call of `function`.
std::vector<std::string> routesOf(const std::string& record, const char* function) {
  std::vector<std::string> routes;
  for (const std::string& call : e2e::recordedCalls(record, {function})) {
    const std::size_t dest = call.find("dest=");
    const std::size_t end = call.find(" policy=");
    if (dest != std::string::npos && end != std::string::npos) routes.push_back(call.substr(dest, end - dest));
  }
  return routes;
}

std::string routeText(const linkwarden::RoutePrefix& prefix) {
  return "dest=" + dotted(prefix.destination) + " mask=" + dotted(prefix.mask);
}

class LinkwardenJournal : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::removeJournal();
    ASSERT_TRUE(recorded.ready());
  }
  void TearDown() override {
    // A killed session's jobs end their processes; anything else still
    // running would hold the test runner's output: it is ended and named.
    for (const std::string& left : e2e::endDescendants()) std::printf("left running, ended: %s\n", left.c_str());
    e2e::removeJournal();
  }

  // A client with no requests: its tool starts (and recovers), and both end.
  e2e::ClientRun quietSession() {
    e2e::ClientRun run = e2e::runClient(L"--tool=" + kRecordedTool + L" sleep 300");
    if (run.tool) e2e::waitExit(run.tool.get(), kGenerous);
    return run;
  }

  e2e::RecordedSystem recorded;
};

// A session (driver installed, DNS applied, routes added) is ended with its
// tool at 20 moments spread over it. Whatever the tool had changed by then is
// in its journal entry, and a new client's tool undoes exactly that: the
// captured servers put back through netsh, the added routes deleted, the
// service gone from the service manager; in the end no entry is left.
TEST_F(LinkwardenJournal, KilledAtAnyMomentLeavesNothingOnceAToolRunsAgain) {
  const auto session = [&](const std::wstring& service) {
    return startInJob(L"--tool=" + kRecordedTool + L" driver-install " + service + L" " + kDriver +
                      L" dns-apply 7 10.0.0.1 10.0.0.2 route-pattern 10.0.0.254 7 20 route-add " +
                      recorded.routeList() + L" raise sleep 10000");
  };
  // How long a session takes until all three changes are journaled, on this machine now.
  DWORD whole = 0;
  {
    const std::wstring service = L"lwkill" + e2e::ownPid() + L"all";
    JobRun run = session(service);
    ASSERT_TRUE(run.client.handle) << "the client did not start: error " << run.startError;
    const ULONGLONG started = GetTickCount64();
    for (bool done = false; !done && GetTickCount64() - started < kGenerous; Sleep(20)) {
      const std::vector<e2e::JournalValue> values = e2e::journalValues();
      done = values.size() == 1 && values[0].entry && values[0].entry->dns && !values[0].entry->routes.empty();
    }
    whole = static_cast<DWORD>(GetTickCount64() - started);
    TerminateJobObject(run.job.get(), 9);
    ASSERT_TRUE(jobEmpty(run.job.get()));
    ASSERT_TRUE(quietSession().tool);
    ASSERT_LT(whole, kGenerous) << "the session never journaled all of its changes";
    EXPECT_TRUE(serviceGone(service));
  }
  int withEverything = 0;
  for (int moment = 0; moment < 20; ++moment) {
    // Spread over half as long again as the measured session and a second
    // more: a session's start varies by hundreds of milliseconds between
    // runs, and the last moments must come after everything was done.
    const DWORD endAt = moment * (whole * 3 / 2 + 1000) / 19;
    SCOPED_TRACE("ended after " + std::to_string(endAt) + " ms of " + std::to_string(whole));
    const std::wstring service = L"lwkill" + e2e::ownPid() + L"x" + std::to_wstring(moment);
    recorded.clearRecords();
    JobRun run = session(service);
    ASSERT_TRUE(run.client.handle) << "the client did not start: error " << run.startError;
    Sleep(endAt);
    TerminateJobObject(run.job.get(), 9);
    ASSERT_TRUE(jobEmpty(run.job.get()));

    // What the tool had done by then is covered by its entry.
    const std::vector<e2e::JournalValue> values = e2e::journalValues();
    ASSERT_LE(values.size(), 1u);
    linkwarden::UndoEntry left;
    if (!values.empty()) {
      ASSERT_TRUE(values[0].entry) << "a killed tool's entry is whole";
      left = *values[0].entry;
    }
    const std::string before = recorded.record();
    std::vector<std::string> journaled;
    for (const auto& prefix : left.routes) journaled.push_back(routeText(prefix));
    for (const std::string& added : routesOf(before, "CreateIpForwardEntry")) {
      EXPECT_NE(std::find(journaled.begin(), journaled.end(), added), journaled.end()) << added << " not journaled";
    }
    const bool dnsChanged = recorded.netshCommands().find("static 10.0.0.1") != std::string::npos;
    if (dnsChanged) {
      EXPECT_TRUE(left.dns) << "DNS changed but not journaled";
    }
    const bool hasService = serviceExists(service);
    const std::u16string name16(service.begin(), service.end());
    if (hasService) {
      EXPECT_NE(std::find(left.services.begin(), left.services.end(), name16), left.services.end());
    }
    withEverything += left.dns && !left.routes.empty() && !left.services.empty();

    // A new client's tool undoes it before its first pass.
    recorded.clearRecords();
    const ULONGLONG undoStarted = GetTickCount64();
    e2e::ClientRun next = quietSession();
    // One line a moment, so that a slow run shows where its time went.
    std::printf("moment %d: ended after %lu ms, undone in %llu ms\n", moment, endAt,
                GetTickCount64() - undoStarted);
    std::fflush(stdout);
    ASSERT_TRUE(next.tool) << next.report;
    const std::string after = recorded.record();
    const std::vector<std::string> deleted = routesOf(after, "DeleteIpForwardEntry");
    EXPECT_EQ(deleted, journaled);
    const std::string netsh = recorded.netshCommands();
    if (left.dns) {
      EXPECT_NE(netsh.find("interface ip set dnsservers \"Scripted Ethernet\" static 10.9.9.1 validate=no"),
                std::string::npos)
          << netsh;
    } else {
      EXPECT_EQ(netsh, "");
    }
    EXPECT_TRUE(serviceGone(service));
    EXPECT_TRUE(e2e::journalValues().empty());
  }
  EXPECT_GE(withEverything, 2) << "the moments reach past the session's requests";
}

// A session that ends normally leaves nothing to undo; a torn entry is
// discarded (with its log line) without a step of it being taken.
TEST_F(LinkwardenJournal, TornEntryIsDiscardedAndANormalEndLeavesNothing) {
  e2e::ClientRun first = e2e::runClient(L"--tool=" + kRecordedTool + L" route-pattern 10.0.0.254 7 20 route-add " +
                                        recorded.routeList() + L" raise");
  ASSERT_TRUE(first.tool) << first.report;
  EXPECT_EQ(e2e::waitExit(first.tool.get(), kGenerous), 0u);
  EXPECT_TRUE(e2e::journalValues().empty());

  linkwarden::UndoEntry planted;
  planted.tool = {77, 1};
  planted.routes = {{0x0000000B, 0x000000FF}};  // 11.0.0.0/8
  const std::string whole = linkwarden::encodeUndoEntry(planted);
  common::UniqueHKey key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Tavaro\\Linkwarden", 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                          key.put()),
            ERROR_SUCCESS);
  RegSetValueExW(key.get(), L"77-1", 0, REG_BINARY, reinterpret_cast<const BYTE*>(whole.data()),
                 static_cast<DWORD>(whole.size() - 5));
  recorded.clearRecords();
  e2e::ClientRun next = quietSession();
  ASSERT_TRUE(next.tool);
  EXPECT_TRUE(routesOf(recorded.record(), "DeleteIpForwardEntry").empty());
  EXPECT_TRUE(e2e::journalValues().empty());
  EXPECT_NE(e2e::toolLog(next.tool.get()).find("journal entry 77-1 is unreadable, torn or corrupt"),
            std::string::npos);
}

// A second tool beside a running one leaves the first one's entry (and its
// routes) alone; the first one's normal end removes it.
TEST_F(LinkwardenJournal, SecondToolLeavesTheFirstOnesEntryAlone) {
  JobRun first = startInJob(L"--tool=" + kRecordedTool + L" route-pattern 10.0.0.254 7 20 route-add " +
                            recorded.routeList() + L" raise sleep 3000");
  ASSERT_TRUE(first.client.handle);
  std::vector<e2e::JournalValue> values;
  for (int i = 0; i < 200 && values.empty(); ++i, Sleep(20)) values = e2e::journalValues();
  ASSERT_EQ(values.size(), 1u);
  recorded.clearRecords();
  e2e::ClientRun second = quietSession();
  ASSERT_TRUE(second.tool);
  EXPECT_TRUE(routesOf(recorded.record(), "DeleteIpForwardEntry").empty());
  ASSERT_EQ(e2e::journalValues().size(), 1u);
  EXPECT_EQ(e2e::journalValues()[0].name, values[0].name);
  EXPECT_NE(e2e::toolLog(second.tool.get()).find("which still runs; left"), std::string::npos);
  EXPECT_EQ(e2e::waitExit(first.client.handle.get(), kGenerous), 0u);
  // The first tool ends after its client, and its clean-up removes its entry last.
  for (int i = 0; i < 500 && !e2e::journalValues().empty(); ++i) Sleep(20);
  EXPECT_TRUE(e2e::journalValues().empty());
}

// A journal key that lets everybody write it is refused: an entry planted in
// it is never acted on, and the tool journals nothing there.
TEST_F(LinkwardenJournal, PlaceSomebodyElseCouldWriteIsRefused) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAD:(A;OICI;KA;;;BA)(A;OICI;KA;;;WD)",
                                                                   SDDL_REVISION_1, &descriptor, nullptr));
  common::UniqueLocal owned(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  common::UniqueHKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Tavaro\\Linkwarden", 0, nullptr, 0,
                            KEY_ALL_ACCESS | KEY_WOW64_64KEY, &attributes, key.put(), nullptr),
            ERROR_SUCCESS);
  // Set again: Wine gives a new key its default descriptor whatever the creation asked for.
  ASSERT_EQ(RegSetKeySecurity(key.get(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, descriptor),
            ERROR_SUCCESS);
  linkwarden::UndoEntry planted;
  planted.tool = {78, 1};
  planted.routes = {{0x0000000B, 0x000000FF}};
  const std::string bytes = linkwarden::encodeUndoEntry(planted);
  RegSetValueExW(key.get(), L"78-1", 0, REG_BINARY, reinterpret_cast<const BYTE*>(bytes.data()),
                 static_cast<DWORD>(bytes.size()));

  recorded.clearRecords();
  e2e::ClientRun run = e2e::runClient(L"--tool=" + kRecordedTool + L" route-pattern 10.0.0.254 7 20 route-add " +
                                      recorded.routeList() + L" raise");
  ASSERT_TRUE(run.tool);
  EXPECT_EQ(e2e::waitExit(run.tool.get(), kGenerous), 0u);
  const std::vector<std::string> deleted = routesOf(recorded.record(), "DeleteIpForwardEntry");
  EXPECT_EQ(std::count(deleted.begin(), deleted.end(), "dest=11.0.0.0 mask=255.0.0.0"), 0);
  const std::vector<e2e::JournalValue> values = e2e::journalValues();
  ASSERT_EQ(values.size(), 1u);  // the planted one, untouched; none of the tool's
  EXPECT_EQ(values[0].name, L"78-1");
  EXPECT_NE(e2e::toolLog(run.tool.get()).find("undo journal refused (HKLM\\SOFTWARE\\Tavaro\\Linkwarden lets S-1-1-0 write it)"),
            std::string::npos)
      << e2e::toolLog(run.tool.get());
}

// A tool of the installed product killed with its changes in place, then a
// quiet uninstall: the installed tool is started to undo them (the recorders
// show the routes deleted, the servers put back, the service gone), and then
// the files go.
TEST_F(LinkwardenJournal, QuietUninstallUndoesWhatAKilledToolLeftFirst) {
  const std::wstring folder = e2e::tempPath(L"TavaroJournal");
  const e2e::SetupLog setupLog;
  e2e::Process install = e2e::start(kSetup, L"--install-only /S /D=" + folder);
  ASSERT_EQ(e2e::waitExit(install.handle.get(), 60000), 0u);
  const std::wstring tool = folder + L"\\Bin\\linkwarden.exe";
  // The recording stand-ins beside the installed tool (the scenario's load order takes them first).
  const std::wstring standIns = kRecordedTool.substr(0, kRecordedTool.rfind(L'\\') + 1);
  for (const wchar_t* dll : {L"iphlpapi.dll", L"rasapi32.dll"}) {
    ASSERT_TRUE(CopyFileW((standIns + dll).c_str(), (folder + L"\\Bin\\" + dll).c_str(), FALSE));
  }
  const std::wstring service = L"lwuninstall" + e2e::ownPid();
  JobRun run = startInJob(L"--tool=" + tool + L" driver-install " + service + L" " + folder + L"\\Bin\\lwtestdrv.sys" +
                          L" dns-apply 7 10.0.0.1 10.0.0.2 route-pattern 10.0.0.254 7 20 route-add " +
                          recorded.routeList() + L" raise sleep 10000");
  ASSERT_TRUE(run.client.handle) << "the client did not start: error " << run.startError;
  std::vector<e2e::JournalValue> values;
  for (int i = 0; i < 1500; ++i, Sleep(20)) {
    values = e2e::journalValues();
    if (values.size() == 1 && values[0].entry && values[0].entry->dns && !values[0].entry->routes.empty()) break;
  }
  TerminateJobObject(run.job.get(), 9);
  ASSERT_TRUE(jobEmpty(run.job.get()));
  ASSERT_EQ(values.size(), 1u);
  ASSERT_TRUE(serviceExists(service));

  recorded.clearRecords();
  e2e::Process uninstall = e2e::start(folder + L"\\uninstall.exe", L"/S");
  ASSERT_EQ(e2e::waitExit(uninstall.handle.get(), 60000), 0u);
  for (int i = 0; i < 300 && setupLog.text().find("\r\nuninstalled\r\n") == std::string::npos; ++i) Sleep(100);
  const std::string log = setupLog.text();
  EXPECT_NE(log.find("the network tool undoes what a tool left"), std::string::npos) << log;
  EXPECT_LT(log.find("the network tool's recovery ended"), log.find("removing " + std::string(folder.begin(), folder.end())))
      << log;
  EXPECT_EQ(routesOf(recorded.record(), "DeleteIpForwardEntry"),
            (std::vector<std::string>{"dest=10.0.0.0 mask=255.0.0.0", "dest=192.168.0.0 mask=255.255.0.0"}));
  EXPECT_NE(recorded.netshCommands().find("static 10.9.9.1 validate=no"), std::string::npos);
  EXPECT_TRUE(serviceGone(service));
  EXPECT_TRUE(e2e::journalValues().empty());
  // Then the files went: all but the test's stand-ins, which are none of the uninstaller's.
  for (const wchar_t* dll : {L"iphlpapi.dll", L"rasapi32.dll"}) DeleteFileW((folder + L"\\Bin\\" + dll).c_str());
  EXPECT_TRUE(RemoveDirectoryW((folder + L"\\Bin").c_str()));
  // Wine's console host of the killed client may hold the folder a moment
  // longer on a busy machine (seen once in a clean-clone run): a folder with
  // anything left in it stays, however long this waits.
  bool removed = RemoveDirectoryW(folder.c_str());
  for (DWORD waited = 0; !removed && waited < 10000; waited += 200) {
    Sleep(200);
    removed = RemoveDirectoryW(folder.c_str());
  }
  EXPECT_TRUE(removed) << "error " << GetLastError();
}

}  // namespace

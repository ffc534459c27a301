// kickoff.exe and sentinel.exe under Wine, with stand-ins for the client and
// its proxy process.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>

#include "common/unique_handle_win.h"
#include "kickoff/kickoff.h"
#include "kickoff/start_request.h"
#include "tests/e2e/debug_listener_win.h"
#include "tests/e2e/process_win.h"

namespace {

using common::UniqueHandle;
using e2e::kGenerous;
using e2e::ownPid;
using e2e::RecorderFile;

const std::wstring kKickoff = e2e::windowsPath(KICKOFF_EXE);
const std::wstring kSentinel = e2e::windowsPath(SENTINEL_EXE);
const std::wstring kRecorder = e2e::windowsPath(RECORD_ARGS_EXE);

struct StartSection {
  UniqueHandle mapping;
  common::UniqueView view;
  kickoff::StartRequest* request = nullptr;

  explicit StartSection(const std::wstring& name) {
    mapping.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                     kickoff::kStartRequestSize, name.c_str()));
    if (mapping) view.reset(MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, kickoff::kStartRequestSize));
    request = static_cast<kickoff::StartRequest*>(view.get());
  }
  void raise(const std::wstring& path) {
    std::copy(path.begin(), path.end(), request->path);
    request->path[path.size()] = u'\0';
    std::atomic_ref<std::uint8_t>(request->pending).store(1, std::memory_order_release);
  }
  bool cleared(DWORD millis) {
    for (DWORD waited = 0; waited < millis; waited += 10) {
      if (std::atomic_ref<std::uint8_t>(request->pending).load(std::memory_order_acquire) == 0) return true;
      Sleep(10);
    }
    return false;
  }
};

bool contains(const std::vector<std::string>& texts, const std::string& prefix) {
  return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.rfind(prefix, 0) == 0; });
}

// kickoff opens the marker program the client names and clears `pending`;
// once the client ends, it exits 0. Its debugger texts are heard.
TEST(KickoffScenario, OpensTheNamedProgramUntilTheClientEnds) {
  e2e::DebugListener listener;
  ASSERT_TRUE(listener.listening());
  RecorderFile record;
  e2e::Process client = e2e::start(kRecorder, L"--sleep=3000 client-stand-in");
  ASSERT_TRUE(client.handle);
  const std::wstring name = L"KoTest" + ownPid();
  StartSection section(name);
  ASSERT_NE(section.request, nullptr);
  e2e::Process kickoff =
      e2e::start(kKickoff, L"--FILEMAPPING-NAME=" + name + L" --Watch=" + std::to_wstring(client.pid));
  ASSERT_TRUE(kickoff.handle);

  section.raise(kRecorder);
  EXPECT_TRUE(section.cleared(10000));
  EXPECT_EQ(section.request->path[0], u'\0');
  for (int i = 0; i < 500 && record.text().find("args=\n") == std::string::npos; ++i) Sleep(10);
  EXPECT_NE(record.text().find("show=5 args=\n"), std::string::npos) << record.text();  // SW_SHOW

  EXPECT_EQ(e2e::waitExit(kickoff.handle.get(), kGenerous), 0u);
  Sleep(200);
  const auto texts = listener.textsOf(kickoff.pid);
  const std::string marker(kRecorder.begin(), kRecorder.end());
  EXPECT_TRUE(contains(texts, "[kickoff]" + marker));
  EXPECT_TRUE(contains(texts, "[kickoff]sign3,"));
  EXPECT_TRUE(contains(texts, "[kickoff]sign4"));
  EXPECT_FALSE(contains(texts, "[kickoff]sign2"));
}

// A path that does not exist ends kickoff with 87 and leaves the request raised.
TEST(KickoffScenario, MissingPathEndsWith87) {
  e2e::DebugListener listener;
  const std::wstring name = L"KoMissing" + ownPid();
  StartSection section(name);
  ASSERT_NE(section.request, nullptr);
  section.raise(L"C:\\nowhere\\missing-program.exe");
  e2e::Process kickoff = e2e::start(kKickoff, L"--filemapping-name=" + name + L" --watch=" + ownPid());
  EXPECT_EQ(e2e::waitExit(kickoff.handle.get(), kGenerous), 87u);
  EXPECT_EQ(section.request->pending, 1);
  Sleep(200);
  EXPECT_TRUE(contains(listener.textsOf(kickoff.pid), "[kickoff]sign2"));
}

TEST(KickoffScenario, BadOptionsExit87) {
  e2e::Process kickoff = e2e::start(kKickoff, L"--filemapping-name=KoBad --watch=0");
  EXPECT_EQ(e2e::waitExit(kickoff.handle.get(), kGenerous), 87u);
}

std::wstring internetSetting(const wchar_t* value, DWORD& number) {
  common::UniqueHKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0,
                    KEY_READ, key.put()) != ERROR_SUCCESS) {
    return L"<no key>";
  }
  BYTE data[512] = {};
  DWORD size = sizeof data - 2;
  DWORD type = 0;
  if (RegQueryValueExW(key.get(), value, nullptr, &type, data, &size) != ERROR_SUCCESS) return L"<no value>";
  if (type == REG_DWORD) {
    std::memcpy(&number, data, sizeof number);
    return L"";
  }
  return reinterpret_cast<const wchar_t*>(data);
}

// The client's manual proxy on a local port, as it stands while the client runs.
void setClientProxy() {
  common::UniqueHKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0,
                            nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr),
            ERROR_SUCCESS);
  const DWORD enabled = 1;
  const wchar_t server[] = L"127.0.0.1:7890";
  RegSetValueExW(key.get(), L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enabled), sizeof enabled);
  RegSetValueExW(key.get(), L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server), sizeof server);
}

void expectDirectSettings() {
  DWORD enable = 99;
  EXPECT_EQ(internetSetting(L"ProxyServer", enable), L"127.0.0.1:1080");
  internetSetting(L"ProxyEnable", enable);
  EXPECT_EQ(enable, 0u);
}

// Sign-out as Windows announces it: WM_QUERYENDSESSION, then WM_ENDSESSION
// (TRUE), each sent to every top-level window of the process and returned.
// How many windows agreed to the end.
std::size_t endSessionOf(const std::vector<HWND>& windows) {
  std::size_t agreed = 0;
  for (HWND window : windows) {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &answer) && answer) {
      ++agreed;
    }
  }
  for (HWND window : windows) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &answer);
  }
  return agreed;
}

// sentinel watching a client stand-in that ends after `clientMillis` and a
// proxy stand-in, the client's manual proxy set.
struct SentinelRun {
  RecorderFile record;
  e2e::Process main, proxy, sentinel;

  explicit SentinelRun(int clientMillis) {
    setClientProxy();
    main = e2e::start(kRecorder, L"--sleep=" + std::to_wstring(clientMillis) + L" main-stand-in");
    proxy = e2e::start(kRecorder, L"--sleep=60000 proxy-stand-in");
    sentinel = e2e::start(kSentinel,
                          L"--MPID=" + std::to_wstring(main.pid) + L" --epid=" + std::to_wstring(proxy.pid));
  }
};

// Once the main stand-in ends, sentinel ends the proxy stand-in and Wine's
// stored settings show the loopback server with no proxy enabled.
TEST(SentinelScenario, EndsTheProxyAndResetsTheSystemProxy) {
  SentinelRun run(1500);
  ASSERT_TRUE(run.main.handle && run.proxy.handle);
  EXPECT_FALSE(e2e::waitExit(run.sentinel.handle.get(), 500).has_value());  // waits for the main process
  EXPECT_EQ(e2e::waitExit(run.sentinel.handle.get(), kGenerous), 0u);
  EXPECT_EQ(e2e::waitExit(run.proxy.handle.get(), 2000), 0xFFFFFFFFu);
  expectDirectSettings();
}

// Signing out with the client connected: sentinel's hidden window hears the
// end of the session, and by the time WM_ENDSESSION has returned the proxy
// stand-in has ended and the settings are direct. It still waits for the
// client, and exits 0 once the client has gone.
TEST(SentinelScenario, EndOfTheSessionPutsTheProxyBackBeforeItGoesOn) {
  SentinelRun run(60000);
  ASSERT_TRUE(run.main.handle && run.proxy.handle);
  const DWORD pid = run.sentinel.pid;
  for (DWORD waited = 0; waited < kGenerous && e2e::topLevelWindowsOf(pid).empty(); waited += 50) Sleep(50);
  Sleep(200);  // past its window's creation, into its wait for the client

  const std::vector<HWND> windows = e2e::topLevelWindowsOf(pid);
  ASSERT_FALSE(windows.empty());
  EXPECT_EQ(endSessionOf(windows), windows.size());  // nobody holds the session up
  EXPECT_EQ(e2e::waitExit(run.proxy.handle.get(), 0), 0xFFFFFFFFu);
  expectDirectSettings();

  EXPECT_FALSE(e2e::waitExit(run.sentinel.handle.get(), 300).has_value());
  TerminateProcess(run.main.handle.get(), 0);
  EXPECT_EQ(e2e::waitExit(run.sentinel.handle.get(), kGenerous), 0u);
}

// Nothing to watch: exit 1 at once.
TEST(SentinelScenario, EmptyCommandLineExits1) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessW(kSentinel.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  EXPECT_EQ(e2e::waitExit(process.get(), 5000), 1u);
  e2e::Process noProxy = e2e::start(kSentinel, L"--mpid=" + ownPid() + L" --epid=4294967290");
  EXPECT_EQ(e2e::waitExit(noProxy.handle.get(), 5000), 1u);
}

}  // namespace

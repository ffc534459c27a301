// tavaro.exe with the stand-in client library, and the real installer built
// by makensis with the stagehand plug-in, under Wine.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "common/unique_handle_win.h"
#include "tests/e2e/process_win.h"

namespace {

using common::UniqueHandle;
using e2e::kGenerous;
using e2e::ownPid;
using e2e::RecorderFile;

const std::wstring kTavaro = e2e::windowsPath(TAVARO_EXE);
const std::wstring kSetup = e2e::windowsPath(SETUP_EXE);

// Sets the stand-in client's environment for the processes started next.
class ClientEnvironment {
 public:
  ClientEnvironment() : record_(e2e::tempPath(L"ui-record") + L".txt") {
    SetEnvironmentVariableW(L"TAVARO_UI_RECORD", record_.c_str());
    closeAfter(5000);
  }
  ~ClientEnvironment() {
    for (const wchar_t* name : {L"TAVARO_UI_RECORD", L"TAVARO_UI_CLOSE_AFTER", L"TAVARO_UI_WINDOW_DELAY",
                                L"TAVARO_UI_CRASH"}) {
      SetEnvironmentVariableW(name, nullptr);
    }
    DeleteFileW(record_.c_str());
  }
  void closeAfter(DWORD millis) { SetEnvironmentVariableW(L"TAVARO_UI_CLOSE_AFTER", std::to_wstring(millis).c_str()); }
  void windowDelay(DWORD millis) {
    SetEnvironmentVariableW(L"TAVARO_UI_WINDOW_DELAY", std::to_wstring(millis).c_str());
  }
  std::string record() const { return e2e::readFile(record_); }
  // Waits until StartUI of process `pid` has written its record.
  bool startedUi(DWORD pid, DWORD millis = 15000) const {
    const std::string line = "StartUI pid=" + std::to_string(pid) + "\n";
    for (DWORD waited = 0; waited < millis; waited += 20) {
      if (record().find(line) != std::string::npos) return true;
      Sleep(20);
    }
    return false;
  }
  // The value of `key` in the latest record.
  std::string latest(const std::string& key) const {
    const std::string text = record();
    const std::size_t at = text.rfind(key + "=");
    if (at == std::string::npos) return "<none>";
    return text.substr(at + key.size() + 1, text.find('\n', at) - at - key.size() - 1);
  }

 private:
  std::wstring record_;
};

HWND clientWindowOf(DWORD pid, DWORD millis = 15000) {
  for (DWORD waited = 0; waited < millis; waited += 20) {
    for (HWND window : e2e::topLevelWindowsOf(pid)) {
      if (GetPropW(window, L"tavaro") != nullptr) return window;
    }
    Sleep(20);
  }
  return nullptr;
}

// The first start runs the client with the options as written; a second
// start shows the marked window, brings it forward and exits 1 without StartUI.
TEST(LauncherScenario, SecondStartBringsTheClientForward) {
  ClientEnvironment client;
  client.closeAfter(20000);
  e2e::Process first = e2e::start(kTavaro, L"--LANG=EN --loaderpath=C:\\dl\\setup.exe --StartReson=manual");
  ASSERT_TRUE(first.handle);
  ASSERT_TRUE(client.startedUi(first.pid)) << client.record();
  EXPECT_EQ(client.latest("loaderPath"), "C:\\dl\\setup.exe");
  EXPECT_EQ(client.latest("startReason"), "manual");
  EXPECT_EQ(client.latest("language"), "EN");
  EXPECT_EQ(client.latest("version"), "14,-1");  // the launcher's export, through GetProcAddress
  HWND window = clientWindowOf(first.pid);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_HIDE);
  ASSERT_FALSE(IsWindowVisible(window));

  e2e::Process second = e2e::start(kTavaro, L"--lang=fr");
  EXPECT_EQ(e2e::waitExit(second.handle.get(), kGenerous), 1u);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(client.record().find("StartUI pid=" + std::to_string(second.pid)), std::string::npos);

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(e2e::waitExit(first.handle.get(), kGenerous), 0u);
}

// While the first instance has no marked window yet, a second start runs normally.
TEST(LauncherScenario, SecondStartBeforeTheWindowExistsRunsNormally) {
  ClientEnvironment client;
  client.closeAfter(300);
  client.windowDelay(2000);
  e2e::Process first = e2e::start(kTavaro, L"");
  ASSERT_TRUE(client.startedUi(first.pid));
  client.windowDelay(0);
  e2e::Process second = e2e::start(kTavaro, L"");
  EXPECT_TRUE(client.startedUi(second.pid));
  EXPECT_EQ(e2e::waitExit(second.handle.get(), kGenerous), 0u);
  EXPECT_EQ(e2e::waitExit(first.handle.get(), kGenerous), 0u);
}

// A crash inside the client leaves "dump.dmp" beside the launcher.
TEST(LauncherScenario, CrashLeavesADumpBesideTheProgram) {
  std::wstring dump = kTavaro.substr(0, kTavaro.find_last_of(L'\\') + 1) + L"dump.dmp";
  DeleteFileW(dump.c_str());
  ClientEnvironment client;
  SetEnvironmentVariableW(L"TAVARO_UI_CRASH", L"1");
  e2e::Process crashing = e2e::start(kTavaro, L"");
  const auto code = e2e::waitExit(crashing.handle.get(), kGenerous);
  ASSERT_TRUE(code.has_value());
  EXPECT_NE(*code, 0u);
  const std::string bytes = e2e::readFile(dump);
  ASSERT_GE(bytes.size(), 32u);
  EXPECT_EQ(bytes.substr(0, 4), "MDMP");
  DeleteFileW(dump.c_str());
}

std::wstring roamingAppData() {
  wchar_t folder[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
  return folder;
}

std::wstring installFolder() { return e2e::tempPath(L"TavaroInstall"); }

DWORD runSetup(const std::wstring& arguments) {
  e2e::Process setup = e2e::start(kSetup, arguments);
  if (!setup.handle) return 0xDEAD;
  return e2e::waitExit(setup.handle.get(), 60000).value_or(0xBEEF);
}

// The installer, run silently: installs the programs, the plug-in's values
// come out minor, major, data folder, and the launcher starts with the
// installer's path and the start reason "update".
TEST(InstallerScenario, InstallsAndStartsTheLauncherWithTheRunArgument) {
  ClientEnvironment client;
  client.closeAfter(300);
  const std::wstring folder = installFolder();
  ASSERT_EQ(runSetup(L"--runarg=update --delay=1 /S /D=" + folder), 0u);
  const std::string values = e2e::readFile(folder + L"\\install-values.txt");
  const std::wstring data = roamingAppData() + L"\\tavarovideo\\V14";
  EXPECT_EQ(values, "minor=1\r\nmajor=6\r\ndata=" + std::string(data.begin(), data.end()) + "\r\n");
  EXPECT_NE(GetFileAttributesW((folder + L"\\Bin\\tavaro.exe").c_str()), INVALID_FILE_ATTRIBUTES);

  for (int i = 0; i < 750 && client.record().empty(); ++i) Sleep(20);
  EXPECT_EQ(client.latest("startReason"), "update") << client.record();
  EXPECT_EQ(client.latest("loaderPath"), std::string(kSetup.begin(), kSetup.end()));
}

// "--clear-first" removes the data folder with its subfolders, and a link in
// it as a link: the folder it points to keeps every file; "--install-only"
// starts nothing.
TEST(InstallerScenario, ClearFirstAndInstallOnly) {
  ClientEnvironment client;
  const std::wstring data = roamingAppData() + L"\\tavarovideo\\V14";
  ASSERT_TRUE(CreateDirectoryW((roamingAppData() + L"\\tavarovideo").c_str(), nullptr) ||
              GetLastError() == ERROR_ALREADY_EXISTS);
  CreateDirectoryW(data.c_str(), nullptr);
  CreateDirectoryW((data + L"\\cache").c_str(), nullptr);
  CreateDirectoryW((data + L"\\cache\\deeper").c_str(), nullptr);
  std::ofstream((data + L"\\settings.ini").c_str()) << "x";
  std::ofstream((data + L"\\cache\\deeper\\blob.bin").c_str()) << "y";
  const std::wstring outside = e2e::tempPath(L"OutsideData");
  CreateDirectoryW(outside.c_str(), nullptr);
  CreateDirectoryW((outside + L"\\inner").c_str(), nullptr);
  std::ofstream((outside + L"\\keep.txt").c_str()) << "k";
  std::ofstream((outside + L"\\inner\\keep2.txt").c_str()) << "k";
  ASSERT_TRUE(e2e::makeUnixLink(outside, data + L"\\cache\\linked"));
  ASSERT_EQ(GetFileAttributesW((data + L"\\cache\\linked").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT,
            static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT));

  ASSERT_EQ(runSetup(L"--CLEAR-FIRST --install-only /S /D=" + installFolder()), 0u);
  // Windows removes the link too and with it the folder; no Win32 call of
  // Wine removes a Unix link, so there the link alone may stay behind.
  EXPECT_EQ(GetFileAttributesW((data + L"\\settings.ini").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW((data + L"\\cache\\deeper").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(e2e::removeUnixLink(data + L"\\cache\\linked"));
  RemoveDirectoryW((data + L"\\cache").c_str());
  RemoveDirectoryW(data.c_str());
  EXPECT_EQ(GetFileAttributesW(data.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(e2e::readFile(outside + L"\\keep.txt"), "k");
  EXPECT_EQ(e2e::readFile(outside + L"\\inner\\keep2.txt"), "k");
  Sleep(1500);
  EXPECT_EQ(client.record(), "");  // no launcher was started
}

}  // namespace

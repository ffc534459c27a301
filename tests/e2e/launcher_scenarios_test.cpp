// tavaro.exe with the stand-in client library, and the real installer built
// by makensis with the stagehand plug-in, under Wine.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

#include "common/folder_programs_win.h"
#include "common/unique_handle_win.h"
#include "tests/e2e/installer_win.h"
#include "tests/e2e/process_win.h"
#include "tests/wine_limits_win.h"

namespace {

using common::UniqueFile;
using common::UniqueHandle;
using common::UniqueHKey;
using e2e::kGenerous;
using e2e::ownPid;
using e2e::exists;
using e2e::RecorderFile;
using e2e::SetupLog;
using e2e::machineValue;

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
  if (!tests::minidumpsWork()) GTEST_SKIP() << tests::kNoMinidumpReason;
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

DWORD runSetup(const std::wstring& arguments, const std::wstring& setup = kSetup) {
  e2e::Process run = e2e::start(setup, arguments);
  if (!run.handle) return 0xDEAD;
  return e2e::waitExit(run.handle.get(), 60000).value_or(0xBEEF);
}

// Names in a folder, "." and ".." left out.
std::set<std::wstring> namesIn(const std::wstring& folder) {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW entry;
  common::UniqueFindHandle listing(FindFirstFileW((folder + L"\\*").c_str(), &entry));
  if (!listing) return names;
  do {
    if (std::wstring(entry.cFileName) != L"." && std::wstring(entry.cFileName) != L"..") names.insert(entry.cFileName);
  } while (FindNextFileW(listing.get(), &entry));
  return names;
}

bool keyExists(HKEY root, const wchar_t* key) {
  UniqueHKey opened;
  return RegOpenKeyExW(root, key, 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
}

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tavaro";
const wchar_t kSettingsKey[] = L"Software\\Tavaro";

// The start menu's shortcut: all users' (CSIDL_COMMON_PROGRAMS) or the user's own (CSIDL_PROGRAMS).
std::wstring shortcutPath(int programsFolder = CSIDL_COMMON_PROGRAMS) {
  wchar_t programs[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, programsFolder, nullptr, SHGFP_TYPE_CURRENT, programs);
  return std::wstring(programs) + L"\\Tavaro\\Tavaro.lnk";
}

// Quiet uninstall as the system's list of programs runs it. The uninstaller
// goes on from a copy of itself and removes the folder before the shortcut and
// the entries, so its end is its last log line, not the folder gone.
bool uninstallQuietly(const std::wstring& folder) {
  const SetupLog log;
  if (runSetup(L"/S", folder + L"\\uninstall.exe") != 0) return false;
  const auto ended = [&] { return log.text().find("\r\nuninstalled\r\n") != std::string::npos; };
  for (DWORD waited = 0; waited < kGenerous && !ended(); waited += 100) Sleep(100);
  return ended() && !exists(folder);
}

// The file's last write time; 0 when it does not exist.
ULONGLONG lastWrite(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
}

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The product's life: a silent install into a chosen folder registers it
// (uninstall entry, shortcut, remembered folder) with the programs and the
// client payload and nothing else; the update run, started exactly as the
// updater starts it, installs over that same folder and starts the launcher
// from it; a quiet uninstall removes the files, the shortcut and the entries,
// and leaves the user's data folder alone.
TEST(InstallerScenario, InstallUpdateInPlaceAndUninstall) {
  ClientEnvironment client;
  client.closeAfter(300);
  SetupLog log;
  const std::wstring folder = installFolder();
  ASSERT_EQ(runSetup(L"--install-only /S /D=" + folder), 0u);
  EXPECT_EQ(namesIn(folder), (std::set<std::wstring>{L"Bin", L"uninstall.exe"}));
  EXPECT_EQ(namesIn(folder + L"\\Bin"), (std::set<std::wstring>{L"tavaro.exe", L"update.exe", L"linkwarden.exe",
                                                                 L"kickoff.exe", L"sentinel.exe", L"ui.dll",
                                                                 L"client.exe", L"lwtestdrv.sys"}));
  EXPECT_EQ(machineValue(kSettingsKey, L"InstallDir"), folder);
  const std::pair<const wchar_t*, std::wstring> entry[] = {
      {L"DisplayName", L"Tavaro"},
      {L"DisplayVersion", L"" PRODUCT_VERSION},
      {L"Publisher", L"Tavaro"},
      {L"InstallLocation", folder},
      {L"DisplayIcon", folder + L"\\Bin\\tavaro.exe"},
      {L"UninstallString", L"\"" + folder + L"\\uninstall.exe\""},
      {L"QuietUninstallString", L"\"" + folder + L"\\uninstall.exe\" /S"},
      {L"NoModify", L"1"},
      {L"NoRepair", L"1"}};
  for (const auto& [name, value] : entry) EXPECT_EQ(machineValue(kUninstallKey, name), value) << narrow(name);
  const std::wstring size = machineValue(kUninstallKey, L"EstimatedSize");  // in KiB
  EXPECT_TRUE(size != L"<none>" && size != L"0") << narrow(size);
  EXPECT_TRUE(exists(shortcutPath()));
  // The plug-in's values reach the installer: the data folder and the system's version.
  RTL_OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
  reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")))(&version);
  const std::string data = narrow(roamingAppData()) + "\\tavarovideo\\V14";
  EXPECT_NE(log.text().find("data folder " + data + ", Windows " + std::to_string(version.dwMajorVersion) + "." +
                            std::to_string(version.dwMinorVersion)),
            std::string::npos)
      << log.text();

  // The updater starts the installer it put in place as "INSTALLER" "--delay=1" "--runarg=update".
  const std::wstring defaultLauncher = e2e::defaultInstallFolder() + L"\\Bin\\tavaro.exe";
  const ULONGLONG defaultBefore = lastWrite(defaultLauncher);
  const std::wstring kept = e2e::tempPath(L"kept-setup") + L".exe";
  ASSERT_TRUE(CopyFileW(kSetup.c_str(), kept.c_str(), FALSE));
  EXPECT_EQ(runSetup(L"\"--delay=1\" \"--runarg=update\"", kept), 0u);
  for (int i = 0; i < 750 && client.record().empty(); ++i) Sleep(20);
  EXPECT_EQ(client.latest("startReason"), "update") << client.record();
  EXPECT_EQ(client.latest("program"), narrow(folder) + "\\Bin\\tavaro.exe");
  EXPECT_EQ(client.latest("loaderPath"), narrow(kept));
  // Wine has no shell window, and every token of it is elevated with a non-elevated twin.
  EXPECT_NE(log.text().find("the launcher: no desktop shell: started with the installer's non-elevated twin token"),
            std::string::npos)
      << log.text();
  EXPECT_EQ(lastWrite(defaultLauncher), defaultBefore);  // no second copy in the default folder
  DeleteFileW(kept.c_str());

  CreateDirectoryW((roamingAppData() + L"\\tavarovideo").c_str(), nullptr);
  CreateDirectoryW(std::wstring(data.begin(), data.end()).c_str(), nullptr);
  const std::wstring keep = std::wstring(data.begin(), data.end()) + L"\\kept-by-uninstall.txt";
  std::ofstream(keep.c_str()) << "user data";
  ASSERT_TRUE(uninstallQuietly(folder));
  EXPECT_FALSE(exists(shortcutPath()));
  EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kSettingsKey));
  EXPECT_EQ(e2e::readFile(keep), "user data");
  DeleteFileW(keep.c_str());
}

// An installation of earlier versions: per user, in "%LOCALAPPDATA%\\Tavaro",
// its entries below HKEY_CURRENT_USER and its shortcut in the user's start
// menu, its launcher running. A silent install without a folder puts the
// product into Program Files with its entries below HKEY_LOCAL_MACHINE and
// moves the old one: its launcher ended, its files, entries and shortcut
// gone, the data folder kept.
TEST(InstallerScenario, PerMachineInstallMovesAPerUserInstallation) {
  ClientEnvironment client;
  SetupLog log;
  wchar_t local[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local);
  const std::wstring old = std::wstring(local) + L"\\Tavaro";
  const std::wstring built = kTavaro.substr(0, kTavaro.find_last_of(L'\\'));
  CreateDirectoryW(old.c_str(), nullptr);
  CreateDirectoryW((old + L"\\Bin").c_str(), nullptr);
  CreateDirectoryW((old + L"\\log").c_str(), nullptr);
  for (const wchar_t* name : {L"tavaro.exe", L"ui.dll", L"client.exe"}) {
    ASSERT_TRUE(CopyFileW((built + L"\\" + name).c_str(), (old + L"\\Bin\\" + name).c_str(), FALSE));
  }
  for (const wchar_t* name : {L"Bin\\update.exe", L"Bin\\linkwarden.exe", L"Bin\\kickoff.exe", L"Bin\\sentinel.exe",
                              L"uninstall.exe", L"log\\update-1.log"}) {
    std::ofstream((old + L"\\" + name).c_str()) << "of the per-user installation";
  }
  const std::wstring oldShortcut = shortcutPath(CSIDL_PROGRAMS);
  CreateDirectoryW(oldShortcut.substr(0, oldShortcut.find_last_of(L'\\')).c_str(), nullptr);
  std::ofstream(oldShortcut.c_str()) << "shortcut";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"InstallDir", REG_SZ, old.c_str(),
                            static_cast<DWORD>((old.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kUninstallKey, L"DisplayName", REG_SZ, L"Tavaro", 14), ERROR_SUCCESS);
  const std::wstring data = roamingAppData() + L"\\tavarovideo\\V14";
  CreateDirectoryW((roamingAppData() + L"\\tavarovideo").c_str(), nullptr);
  CreateDirectoryW(data.c_str(), nullptr);
  std::ofstream((data + L"\\settings.ini").c_str()) << "the user's";
  client.closeAfter(120000);  // the old product runs until it is asked to close
  e2e::Process running = e2e::start(old + L"\\Bin\\tavaro.exe", L"");
  ASSERT_TRUE(client.startedUi(running.pid));

  ASSERT_EQ(runSetup(L"--install-only --wait=5 /S"), 0u) << log.text();
  const std::wstring folder = e2e::defaultInstallFolder();
  EXPECT_TRUE(exists(folder + L"\\Bin\\linkwarden.exe"));
  EXPECT_EQ(machineValue(kSettingsKey, L"InstallDir"), folder);
  EXPECT_EQ(machineValue(kUninstallKey, L"UninstallString"), L"\"" + folder + L"\\uninstall.exe\"");
  EXPECT_TRUE(exists(shortcutPath()));
  EXPECT_TRUE(e2e::waitExit(running.handle.get(), 0).has_value());
  EXPECT_FALSE(exists(old)) << log.text();
  EXPECT_FALSE(exists(oldShortcut));
  EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kSettingsKey));
  EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kUninstallKey));
  EXPECT_NE(log.text().find("moving the per-user installation in " + narrow(old)), std::string::npos) << log.text();
  EXPECT_NE(log.text().find("\r\nremoved the per-user installation\r\n"), std::string::npos) << log.text();
  EXPECT_EQ(e2e::readFile(data + L"\\settings.ini"), "the user's");
  DeleteFileW((data + L"\\settings.ini").c_str());
  EXPECT_TRUE(uninstallQuietly(folder));
}

// The update run while the product runs from the installation: the
// launcher's client window is asked to close (it does), and programs that
// do not are ended after the wait; then every file is replaced, the run
// ends with 0 and starts the launcher again.
TEST(InstallerScenario, UpdateEndsTheRunningProductAndReplacesItsFiles) {
  ClientEnvironment client;
  SetupLog log;
  const std::wstring folder = installFolder();
  ASSERT_EQ(runSetup(L"--install-only /S /D=" + folder), 0u);
  std::ofstream(std::wstring(folder + L"\\Bin\\kickoff.exe").c_str(), std::ios::binary) << "the old kickoff";
  client.closeAfter(120000);  // the running client stays until it is asked to close
  e2e::Process running = e2e::start(folder + L"\\Bin\\tavaro.exe", L"");
  ASSERT_TRUE(client.startedUi(running.pid));

  client.closeAfter(300);  // the launcher the update starts
  const std::wstring kept = e2e::tempPath(L"kept-setup") + L".exe";
  ASSERT_TRUE(CopyFileW(kSetup.c_str(), kept.c_str(), FALSE));
  EXPECT_EQ(runSetup(L"--wait=5 \"--delay=1\" \"--runarg=update\"", kept), 0u) << log.text();
  EXPECT_TRUE(e2e::waitExit(running.handle.get(), 0).has_value());
  EXPECT_NE(log.text().find("the update ended 0 programs of the installation that did not close"), std::string::npos)
      << log.text();
  EXPECT_NE(e2e::readFile(folder + L"\\Bin\\kickoff.exe"), "the old kickoff");
  for (int i = 0; i < 750 && client.latest("StartUI pid") == std::to_string(running.pid); ++i) Sleep(20);
  EXPECT_NE(client.latest("StartUI pid"), std::to_string(running.pid)) << client.record();
  EXPECT_EQ(client.latest("startReason"), "update") << client.record();
  DeleteFileW(kept.c_str());
  for (DWORD waited = 0; waited < kGenerous && !common::programsRunningFrom(folder).empty(); waited += 100) Sleep(100);
  EXPECT_TRUE(uninstallQuietly(folder));
}

// The text of the message box that process `pid` shows within `millis`,
// which is then answered with OK; "<no message box>" when none shows.
std::wstring answerMessageBox(DWORD pid, DWORD millis) {
  HWND box = e2e::waitForVisibleWindow(pid, L"#32770", millis);
  if (box == nullptr) return L"<no message box>";
  wchar_t text[1024] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 1023);  // the message box's text control
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return text;
}

// A file of the installation held open by a program that does not run from
// it (so the update cannot end it): the update run waits for it, then says
// so in a message box although it is silent (the user asked for the update)
// and stops with exit code 3 and a log line; the old installation stays
// whole (nothing of it was replaced).
TEST(InstallerScenario, FileInUseStopsTheUpdateWithItsCode) {
  ClientEnvironment client;
  SetupLog log;
  const std::wstring folder = installFolder();
  ASSERT_EQ(runSetup(L"--install-only /S /D=" + folder), 0u);
  const std::wstring held = folder + L"\\Bin\\sentinel.exe";
  std::ofstream(std::wstring(folder + L"\\Bin\\kickoff.exe").c_str(), std::ios::binary) << "the old kickoff";
  UniqueFile holder(CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder);

  const ULONGLONG started = GetTickCount64();
  e2e::Process update = e2e::start(kSetup, L"--wait=2 --delay=1 --runarg=update");
  ASSERT_TRUE(update.handle);
  EXPECT_EQ(answerMessageBox(update.pid, kGenerous),
            L"Tavaro is still running: " + held + L" cannot be replaced. Close Tavaro and run the installer again.");
  EXPECT_EQ(e2e::waitExit(update.handle.get(), kGenerous), 3u);
  EXPECT_GE(GetTickCount64() - started, 2000u);  // it waited before it gave up
  EXPECT_NE(log.text().find("stopped: " + narrow(held) + " is still in use after 2 s; nothing was replaced (exit 3)"),
            std::string::npos)
      << log.text();
  EXPECT_EQ(e2e::readFile(folder + L"\\Bin\\kickoff.exe"), "the old kickoff");
  EXPECT_TRUE(exists(folder + L"\\Bin\\tavaro.exe"));
  EXPECT_EQ(common::programsRunningFrom(folder).size(), 0u);  // nothing was started

  holder.reset();
  EXPECT_TRUE(uninstallQuietly(folder));
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

  const std::wstring folder = installFolder();
  ASSERT_EQ(runSetup(L"--CLEAR-FIRST --install-only /S /D=" + folder), 0u);
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
  // A launcher the installer started would run by now (its client stays 5 s).
  EXPECT_EQ(common::programsRunningFrom(folder).size(), 0u);
  EXPECT_EQ(client.record(), "");
  EXPECT_TRUE(uninstallQuietly(folder));
}

}  // namespace

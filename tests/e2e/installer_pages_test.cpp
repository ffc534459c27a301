// The installer's and the uninstaller's pages as a person clicks through them,
// under Wine and Xvfb, in the language of the system (ctest runs these tests
// once per language, with TAVARO_LOCALE for cmake/wine-run): the texts read from the
// window's controls, the product's name and version in the title and in
// place of NSIS's branding line, the chosen folder where the files land and
// what the registry remembers, "Cancel" leaving nothing, and a screenshot of
// each page (where the screen shows this build's windows).
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "common/folder_programs_win.h"
#include "tests/e2e/installer_win.h"
#include "tests/e2e/process_win.h"
#include "tests/e2e/screen_win.h"
#include "tests/wine_limits_win.h"

namespace {

using e2e::exists;
using e2e::kGenerous;
using e2e::machineValue;

const std::wstring kSetup = e2e::windowsPath(SETUP_EXE);
const std::wstring kTitle = L"Tavaro " PRODUCT_VERSION_W;
constexpr int kNext = 1, kCancel = 2, kBranding = 1028, kFolderEdit = 1019, kRunBox = 1203;

struct Language {
  std::wstring name;
  std::wstring welcome, folder, finish, run, unconfirm, unfinish, abort;
};

// The installer's language is the system's, as it chooses it.
Language language() {
  const LANGID system = GetUserDefaultUILanguage();
  const std::wstring t = kTitle;
  if (system == 0x0804) {
    return {L"cn", L"\u6b22\u8fce\u4f7f\u7528 " + t + L" \u5b89\u88c5\u7a0b\u5e8f", L"\u9009\u62e9\u5b89\u88c5\u4f4d\u7f6e",
            t + L" \u5b89\u88c5\u7a0b\u5e8f\u7ed3\u675f", L"\u8fd0\u884c Tavaro(&R)", L"\u5378\u8f7d " + t,
            t + L" \u5378\u8f7d\u7a0b\u5e8f\u7ed3\u675f", L"\u786e\u5b9a\u8981\u9000\u51fa " + t};
  }
  if (system == 0x0404) {
    return {L"hk", L"\u6b61\u8fce\u4f7f\u7528 " + t + L" \u5b89\u88dd\u7cbe\u9748", L"\u9078\u53d6\u5b89\u88dd\u4f4d\u7f6e",
            L"\u5373\u5c07\u5b8c\u6210\u5b89\u88dd " + t, L"\u57f7\u884c Tavaro(&R)", L"\u89e3\u9664\u5b89\u88dd " + t,
            L"\u5373\u5c07\u5b8c\u6210\u89e3\u9664\u5b89\u88dd " + t, L"\u78ba\u5b9a\u8981\u7d50\u675f " + t};
  }
  return {L"en", L"Welcome to " + t + L" Setup", L"Choose Install Location", L"Completing " + t + L" Setup",
          L"&Run Tavaro", L"Uninstall " + t, L"Completing " + t + L" Uninstall", L"Are you sure you want to quit " + t};
}

std::wstring textOf(HWND window) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

BOOL CALLBACK collectVisible(HWND window, LPARAM found) {
  if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

// The texts of the window and of all its visible controls, one a line.
std::wstring pageTexts(HWND main) {
  std::vector<HWND> controls;
  EnumChildWindows(main, collectVisible, reinterpret_cast<LPARAM>(&controls));
  std::wstring all = textOf(main) + L"\n";
  for (HWND control : controls) {
    const std::wstring text = textOf(control);
    if (!text.empty()) all += text + L"\n";
  }
  return all;
}

// A visible control of that id anywhere in the window (the pages are child dialogs).
HWND controlOf(HWND main, int id) {
  std::vector<HWND> controls;
  EnumChildWindows(main, collectVisible, reinterpret_cast<LPARAM>(&controls));
  for (HWND control : controls) {
    if (GetDlgCtrlID(control) == id) return control;
  }
  return nullptr;
}

HWND waitControl(HWND main, int id) {
  for (DWORD waited = 0; waited < kGenerous; waited += 50, Sleep(50)) {
    if (HWND control = controlOf(main, id)) return control;
  }
  return nullptr;
}

// Waits until the page shows `text`; the page's texts at the end either way.
std::wstring waitText(HWND main, const std::wstring& text) {
  std::wstring texts;
  for (DWORD waited = 0; waited < kGenerous; waited += 50, Sleep(50)) {
    texts = pageTexts(main);
    if (texts.find(text) != std::wstring::npos) break;
  }
  return texts;
}

void press(HWND main, int id) {
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(main, id)));
}

std::string narrow(const std::wstring& text) {
  std::string out;
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(n));
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

class InstallerPages : public ::testing::Test {
 protected:
  // Checks the page's texts (printed for people to read) and saves its screenshot.
  void seePage(HWND main, const std::wstring& expected, const std::wstring& page) {
    const std::wstring texts = waitText(main, expected);
    std::printf("[%s] %s page:\n%s", narrow(lang.name).c_str(), narrow(page).c_str(), narrow(texts).c_str());
    EXPECT_NE(texts.find(expected), std::wstring::npos) << narrow(texts);
    EXPECT_NE(texts.find(kTitle), std::wstring::npos) << "the product and its version, in the title and branding";
    EXPECT_EQ(texts.find(L"Nullsoft"), std::wstring::npos) << narrow(texts);
    // The branding line under the pages (hidden on the welcome and finish pages' full picture).
    if (HWND branding = GetDlgItem(main, kBranding); branding && IsWindowVisible(branding)) {
      EXPECT_EQ(textOf(branding).find(kTitle), 0u) << narrow(textOf(branding));
      ++brandingSeen;
    }
    if (e2e::screenShowsOurWindows()) {
      Sleep(300);  // painted
      e2e::captureWindow(main).save(e2e::screenshotFolder() + L"\\installer-" + lang.name + L"-" + page + L".bmp");
    }
  }

  const Language lang = language();
  int brandingSeen = 0;
};

// Welcome, the folder page with a folder typed in, the progress, the finish
// page with "Run Tavaro" unticked: the product lands in that folder, which
// the registry remembers, and nothing starts. Then the Apps list's entry:
// its UninstallString's pages (confirm, progress, finish) remove it all.
TEST_F(InstallerPages, InstallThroughThePagesThenUninstallFromTheEntry) {
  if (!tests::editControlsWork()) GTEST_SKIP() << tests::kNoEditReason;
  const std::wstring folder = e2e::tempPath(L"Tavaro Pages");
  e2e::Process setup = e2e::start(kSetup, L"");
  ASSERT_TRUE(setup.handle);
  HWND main = e2e::waitForVisibleWindow(setup.pid, L"#32770");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(textOf(main).find(kTitle), 0u) << narrow(textOf(main));
  seePage(main, lang.welcome, L"welcome");
  press(main, kNext);
  HWND edit = waitControl(main, kFolderEdit);
  ASSERT_NE(edit, nullptr);
  seePage(main, lang.folder, L"folder");
  // Program Files, or the folder an earlier installation chose.
  const std::wstring remembered = machineValue(L"Software\\Tavaro", L"InstallDir");
  EXPECT_EQ(textOf(edit), remembered == L"<none>" ? e2e::defaultInstallFolder() : remembered);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
  EXPECT_EQ(textOf(edit), folder);
  press(main, kNext);
  HWND run = waitControl(main, kRunBox);
  ASSERT_NE(run, nullptr) << narrow(pageTexts(main));
  seePage(main, lang.finish, L"finish");
  EXPECT_EQ(textOf(run), lang.run);
  SendMessageW(run, BM_SETCHECK, BST_UNCHECKED, 0);
  press(main, kNext);
  EXPECT_EQ(e2e::waitExit(setup.handle.get(), kGenerous), std::optional<DWORD>(0u));

  EXPECT_TRUE(exists(folder + L"\\Bin\\tavaro.exe"));
  EXPECT_TRUE(exists(folder + L"\\uninstall.exe"));
  EXPECT_EQ(machineValue(L"Software\\Tavaro", L"InstallDir"), folder);
  EXPECT_EQ(common::programsRunningFrom(folder).size(), 0u);  // "Run Tavaro" was unticked

  // As the Apps list runs it: its UninstallString, with the pages.
  const std::wstring entry = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tavaro";
  const std::wstring command = machineValue(entry.c_str(), L"UninstallString");
  ASSERT_EQ(command, L"\"" + folder + L"\\uninstall.exe\"");
  e2e::Process uninstall = e2e::start(command.substr(1, command.size() - 2), L"");
  ASSERT_TRUE(uninstall.handle);
  // The uninstaller goes on from a copy of itself: its window is another process's.
  HWND window = nullptr;
  for (DWORD waited = 0; !window && waited < kGenerous; waited += 100, Sleep(100)) {
    for (HWND top = FindWindowW(L"#32770", nullptr); top; top = FindWindowExW(nullptr, top, L"#32770", nullptr)) {
      if (IsWindowVisible(top) && textOf(top).find(kTitle) == 0) window = top;
    }
  }
  ASSERT_NE(window, nullptr);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  common::UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  seePage(window, lang.unconfirm, L"uninstall-confirm");
  press(window, kNext);
  seePage(window, lang.unfinish, L"uninstall-finish");
  press(window, kNext);
  EXPECT_EQ(e2e::waitExit(process.get(), kGenerous), std::optional<DWORD>(0u));
  for (DWORD waited = 0; exists(folder) && waited < kGenerous; waited += 100) Sleep(100);
  EXPECT_FALSE(exists(folder));
  EXPECT_EQ(machineValue(entry.c_str(), L"UninstallString"), L"<none>");
  EXPECT_GE(brandingSeen, 2);  // the folder page's and the uninstaller's confirmation's at least
}

// "Cancel" on the folder page (on the welcome page where a folder cannot be
// typed in, the 32-bit build under Wine), confirmed: the installer ends with
// 1 and nothing is installed or remembered. The welcome page names the
// product and its version, its branding line too.
TEST_F(InstallerPages, CancelOnTheFolderPageLeavesNothing) {
  const std::wstring before = machineValue(L"Software\\Tavaro", L"InstallDir");
  const std::wstring folder = e2e::tempPath(L"Tavaro Cancelled");
  e2e::Process setup = e2e::start(kSetup, L"");
  ASSERT_TRUE(setup.handle);
  HWND main = e2e::waitForVisibleWindow(setup.pid, L"#32770");
  ASSERT_NE(main, nullptr);
  seePage(main, lang.welcome, L"welcome");
  EXPECT_EQ(textOf(GetDlgItem(main, kBranding)).find(kTitle), 0u) << narrow(textOf(GetDlgItem(main, kBranding)));
  if (tests::editControlsWork()) {
    press(main, kNext);
    HWND edit = waitControl(main, kFolderEdit);
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
  }
  press(main, kCancel);
  // The question is a message box of the installer's own.
  HWND question = nullptr;
  for (DWORD waited = 0; !question && waited < kGenerous; waited += 50, Sleep(50)) {
    for (HWND top : e2e::topLevelWindowsOf(setup.pid)) {
      if (top != main && IsWindowVisible(top) && pageTexts(top).find(lang.abort) != std::wstring::npos) question = top;
    }
  }
  ASSERT_NE(question, nullptr);
  seePage(question, lang.abort, L"cancel-question");
  PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
  EXPECT_EQ(e2e::waitExit(setup.handle.get(), kGenerous), std::optional<DWORD>(1u));
  EXPECT_FALSE(exists(folder));
  EXPECT_EQ(machineValue(L"Software\\Tavaro", L"InstallDir"), before);
}

}  // namespace

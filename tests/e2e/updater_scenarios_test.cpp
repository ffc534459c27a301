// The updater started as a user's machine starts it, under Wine and Xvfb:
// too few options, the window, and its log file.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/e2e/process_win.h"
#include "tests/e2e/screen_win.h"

namespace e2e {
namespace {

const std::wstring kUpdate = windowsPath(UPDATE_EXE);

std::wstring textOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 511);
  return text;
}

// The message box of an updater started with too few options, in `lang`.
struct MessageBoxSeen {
  std::wstring caption, text;
  std::optional<DWORD> exitCode;
};

MessageBoxSeen runWithFourTokens(const std::wstring& lang, const std::wstring& shotName) {
  Process update = start(kUpdate, L"--dlurl=http://127.0.0.1:9/x --dlpath=C:\\dl.exe " + lang);
  MessageBoxSeen seen;
  if (!update.handle) return seen;
  HWND box = waitForVisibleWindow(update.pid, L"#32770");
  if (box != nullptr) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // let it paint
    captureWindow(box).save(screenshotFolder() + L"\\" + shotName);
    seen.caption = textOf(box);
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 511);  // the message box's text control
    seen.text = text;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
  seen.exitCode = waitExit(update.handle.get(), kGenerous);
  if (!seen.exitCode) TerminateProcess(update.handle.get(), 99);
  return seen;
}

// Four tokens: the translated box, no window, exit code -1.
TEST(UpdaterScenario, TooFewOptionsShowTheTranslatedMessageBox) {
  const MessageBoxSeen english = runWithFourTokens(L"--lang=US", L"update-lose-args-us.bmp");
  EXPECT_EQ(english.caption, L"Error");
  EXPECT_EQ(english.text, L"Lose Args");
  EXPECT_EQ(english.exitCode, std::optional<DWORD>(0xFFFFFFFFu));

  const MessageBoxSeen chinese = runWithFourTokens(L"--lang=", L"update-lose-args-cn.bmp");
  EXPECT_EQ(chinese.caption, L"错误");
  EXPECT_EQ(chinese.text, L"启动参数不足");
  EXPECT_EQ(chinese.exitCode, std::optional<DWORD>(0xFFFFFFFFu));

  const MessageBoxSeen unknown = runWithFourTokens(L"--lang=fr", L"update-lose-args-fr.bmp");
  EXPECT_EQ(unknown.caption, L"{error}");
  EXPECT_EQ(unknown.text, L"{lose args}");
}

// Five tokens: the window of the layout opens; the run's log begins with the
// start lines and holds the warning for the missing header image.
TEST(UpdaterScenario, FiveTokensOpenTheWindowAndWriteTheLog) {
  // Wine reuses process ids, and with them the names tempPath makes: start clean.
  const std::wstring folder = tempPath(L"update-run");
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(folder), ignored);
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  Process update = start(kUpdate,
                         L"--dlurl=http://127.0.0.1:9/none --vrc=1 --dlpath=" + folder + L"\\dl\\setup.exe --rppath=" +
                             folder + L"\\setup.exe --lang=us",
                         folder);
  ASSERT_TRUE(update.handle);
  HWND window = waitForVisibleWindow(update.pid, L"UpdWnd");
  ASSERT_NE(window, nullptr);
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right - r.left, 302);
  EXPECT_EQ(r.bottom - r.top, 202);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  if (screenShowsOurWindows()) {
    const Screenshot shot = captureWindow(window);
    shot.save(screenshotFolder() + L"\\update-window.bmp");
    ASSERT_EQ(shot.width, 302);
    EXPECT_TRUE(coloursClose(shot.at(150, 1), RGB(0x35, 0x6C, 0xD1), 40)) << std::hex << shot.at(150, 1);  // band
    EXPECT_TRUE(coloursClose(shot.at(150, 190), RGB(0xFF, 0xFF, 0xFF), 8)) << std::hex << shot.at(150, 190);  // body
  }

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(waitExit(update.handle.get(), kGenerous), std::optional<DWORD>(0u));

  const std::string log = readFile(folder + L"\\log\\update-0.log");
  EXPECT_EQ(log.find("pid=" + std::to_string(update.pid) + " tid="), 0u) << log;
  EXPECT_NE(log.find(" ALARM update.exe logger \"-----------------  logq thread started!   "
                     "----------------------------\" run (log_writer):"),
            std::string::npos)
      << log;
  // The start lines are written as the writer starts, before the level is raised to 3.
  EXPECT_NE(log.find("logger \"logger id=0 key=Main name=update path=./log/ level=1 display=true\""), std::string::npos);
  const std::size_t warning = log.find(" WARN  update.exe veneer \"FindChildByName2 Failed, no window of class [img] "
                                       "with name of [prog_header] was found within [-1] levels\" "
                                       "FindChildByName2 (vwindow.cpp):");
  EXPECT_NE(warning, std::string::npos) << log;
}

}  // namespace
}  // namespace e2e

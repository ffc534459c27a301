// Drives update.exe the way a user does, for the demo and the benchmark:
// starts it, watches its window, saves a screenshot of every page it shows,
// optionally clicks "done", and reports what it saw and when.
//
//   update_driver.exe --update=PATH --shots=FOLDER [--click-done] [--sample-ms=N] -- <update.exe's arguments>
//   update_driver.exe --attach --shots=FOLDER [--click-done] [--sample-ms=N]   (an updater somebody else started)
//   update_driver.exe --first-paint=PATH [--class=NAME] [-- <its arguments>]
//       a program's first paint (a reference program's, or update.exe's with
//       --class=UpdWnd), then it is closed
//
// After the first paint it looks at the window every N ms (40 by default: 25
// looks a second see 10 repaints a second, and capturing the screen, which
// goes through the wineserver too, then barely slows the updater it measures;
// the demo looks every 2 ms so that short pages are caught too).
//
// Prints one line per event and, at the end, the timings:
//   first-paint-ms  from the start to the end of the window's first paint (its paint count property)
//   finished-ms     from the start to the finished (or error) page
//   bar-changes / bar-seconds   distinct pictures of the bar seen while it moved
//   paints / paint-seconds      the window's own paint count over that time
//   all-paints / paint-ms       every paint of the window and the time they took
//   progress-messages / progress-handler-ms   the progress messages and the time their handler took
// Exit code: update.exe's, or 90 when it could not be driven.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/reference_window_win.h"
#include "common/option_text.h"
#include "common/wide_win.h"
#include "tests/e2e/process_win.h"
#include "tests/e2e/screen_win.h"
#include "tests/e2e/updater_screen_win.h"
#include "update/main_view_win.h"
#include "veneer/wnd/host_wnd_win.h"

namespace {

constexpr int kCannotDrive = 90;

const char* pageName(e2e::UpdaterPage page) {
  switch (page) {
    case e2e::UpdaterPage::kProgress: return "progress";
    case e2e::UpdaterPage::kFinished: return "finished";
    case e2e::UpdaterPage::kError: return "error";
    default: return "unknown";
  }
}

double millisSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now{}, frequency{};
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The first visible window of class `className` of process `pid` once it has
// painted, and when that paint ended: milliseconds since `start`, or -1 after
// kGenerous. The window says when (its "VeneerFirstPaintEnd" moment), so the
// driver looks only every 10 ms: looking every millisecond (a list of all
// windows and a question per window, each a wineserver round trip) slowed
// the programs it timed, the one with more wineserver work the most.
double waitFirstPaint(DWORD pid, const wchar_t* className, const LARGE_INTEGER& start, HWND& window) {
  window = nullptr;
  const std::uint64_t startMicros = veneer::MicrosecondsOf(start.QuadPart);
  while (millisSince(start) < e2e::kGenerous) {
    for (HWND candidate : e2e::topLevelWindowsOf(pid)) {
      wchar_t name[64] = {};
      GetClassNameW(candidate, name, 63);
      if (std::wstring_view(name) != className || !IsWindowVisible(candidate)) continue;
      if (veneer::WindowCounter::Read(candidate, veneer::kPaintCountProperty) != 0) {
        window = candidate;
        const double ended =
            veneer::MillisToMoment(startMicros, veneer::WindowCounter::Read(candidate, veneer::kFirstPaintEndProperty));
        return ended >= 0 ? ended : millisSince(start);  // attached after the paint: when it was seen
      }
    }
    Sleep(10);
  }
  return -1;
}

// A program's first paint (the minimal window, the lean start of the
// updater's work, or update.exe itself), then it is closed.
int measureFirstPaint(const std::wstring& program, const std::wstring& arguments, const wchar_t* className) {
  LARGE_INTEGER start{};
  QueryPerformanceCounter(&start);
  e2e::Process process = e2e::start(program, arguments);
  if (!process.handle) return kCannotDrive;
  HWND window = nullptr;
  const double firstPaint = waitFirstPaint(process.pid, className, start, window);
  std::printf("first-paint-ms %.0f\n", firstPaint);
  if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
  if (!e2e::waitExit(process.handle.get(), e2e::kGenerous)) TerminateProcess(process.handle.get(), 1);
  return firstPaint < 0 ? kCannotDrive : 0;
}

}  // namespace

int main() {
  const std::vector<std::u16string> tokens = common::commandLineTokens();
  std::vector<std::u16string> options;
  std::wstring programArguments;
  bool passOn = false;
  for (std::size_t i = 1; i < tokens.size(); ++i) {
    if (passOn) {
      programArguments += L" \"" + common::toWide(tokens[i]) + L"\"";
    } else if (tokens[i] == u"--") {
      passOn = true;
    } else {
      options.push_back(tokens[i]);
    }
  }
  if (const auto program = common::lastOptionValue(options, u"--first-paint=")) {
    const auto className = common::lastOptionValue(options, u"--class=");
    return measureFirstPaint(common::toWide(*program), programArguments,
                             className ? common::toWide(*className).c_str() : bench::kReferenceClassName);
  }
  const auto update = common::lastOptionValue(options, u"--update=");
  // --attach: the updater is started by somebody else (the client); the
  // driver takes the first updater window that shows, and its times count
  // from then.
  bool attach = false;
  for (const auto& o : options) attach = attach || o == u"--attach";
  const auto shots = common::lastOptionValue(options, u"--shots=");
  const auto sampleOption = common::lastOptionValue(options, u"--sample-ms=");
  const DWORD sampleMillis = sampleOption ? common::leadingDecimal(*sampleOption) : 40;
  bool clickDone = false;
  for (const auto& o : options) clickDone = clickDone || o == u"--click-done";
  if ((!update && !attach) || !shots) {
    std::puts("usage: update_driver --update=PATH|--attach --shots=FOLDER [--click-done] -- ARGS");
    return kCannotDrive;
  }
  const std::wstring folder = common::toWide(*shots);
  CreateDirectoryW(folder.c_str(), nullptr);

  LARGE_INTEGER start{};
  QueryPerformanceCounter(&start);
  e2e::Process process;
  if (attach) {
    HWND shown = nullptr;
    for (DWORD waited = 0; shown == nullptr && waited < e2e::kGenerous; waited += 20, Sleep(20)) {
      shown = FindWindowW(L"UpdWnd", nullptr);
    }
    if (shown != nullptr) GetWindowThreadProcessId(shown, &process.pid);
    process.handle.reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE,
                                     process.pid));
    QueryPerformanceCounter(&start);
  } else if (update) {
    process = e2e::start(common::toWide(*update), programArguments);
  }
  if (!process.handle) {
    std::printf("driver: cannot %s update.exe (error %lu)\n", attach ? "find" : "start", GetLastError());
    return kCannotDrive;
  }
  HWND window = nullptr;
  const double firstPaint = waitFirstPaint(process.pid, L"UpdWnd", start, window);
  if (window == nullptr) {
    std::puts("driver: no updater window");
    TerminateProcess(process.handle.get(), 1);
    return kCannotDrive;
  }
  std::printf("driver: window painted %.0f ms after the start\n", firstPaint);

  double finished = -1;
  double barFirstChange = -1, barLastChange = -1;
  int barChanges = 0;
  std::uintptr_t paintsAtFirstChange = 0, paintsAtLastChange = 0;
  const auto paintCount = [&] {
    return veneer::WindowCounter::Read(window, veneer::kPaintCountProperty);
  };
  std::uint64_t lastCaption = 0, lastBar = 0;
  int shotIndex = 0;
  e2e::UpdaterPage page = e2e::UpdaterPage::kUnknown;
  e2e::WindowSampler sampler;
  // Where the screen does not show the window (the 32-bit build under Wine),
  // its pages are the ones it names, and there are no screenshots.
  const bool screen = e2e::screenShowsOurWindows();
  if (!screen) std::printf("driver: no screenshots: %s\n", e2e::kNoScreenReason);
  while (WaitForSingleObject(process.handle.get(), 0) == WAIT_TIMEOUT) {
    const e2e::Screenshot shot = screen ? sampler.capture(window) : e2e::Screenshot{};
    const double now = millisSince(start);
    const e2e::UpdaterPage before = page;
    page = screen ? e2e::updaterPageOf(shot) : e2e::updaterPageOf(window);
    if (page == e2e::UpdaterPage::kUnknown) {
      Sleep(2);  // fine-grained until the page shows
      continue;
    }
    if (!screen && page != before) {
      std::printf("driver: %.0f ms: %s page\n", now, pageName(page));
      std::fflush(stdout);
    }
    const std::uint64_t caption = screen ? e2e::captionFingerprint(shot) : 0;
    if (caption != lastCaption) {
      lastCaption = caption;
      const std::wstring name = folder + L"\\page-" + std::to_wstring(++shotIndex) + L".bmp";
      shot.save(name);
      std::printf("driver: %.0f ms: %s page, screenshot page-%d.bmp\n", now, pageName(page), shotIndex);
      std::fflush(stdout);
    }
    if (screen && page == e2e::UpdaterPage::kProgress) {
      const std::uint64_t bar = e2e::barFingerprint(shot);
      if (bar != lastBar && lastBar != 0) {
        ++barChanges;
        if (barFirstChange < 0) {
          barFirstChange = now;
          paintsAtFirstChange = paintCount();
        }
        barLastChange = now;
        paintsAtLastChange = paintCount();
      }
      lastBar = bar;
    }
    if (page == e2e::UpdaterPage::kFinished || page == e2e::UpdaterPage::kError) {
      finished = now;
      break;
    }
    Sleep(sampleMillis);
  }
  const double barSeconds = barChanges > 0 ? (barLastChange - barFirstChange) / 1000.0 : 0.0;
  std::printf("finished-ms %.0f\nfirst-paint-ms %.0f\nbar-changes %d\nbar-seconds %.3f\npaints %llu\n", finished,
              firstPaint, barChanges, barSeconds,
              static_cast<unsigned long long>(paintsAtLastChange - paintsAtFirstChange));
  using veneer::WindowCounter;
  std::printf("all-paints %llu\npaint-ms %.1f\nprogress-messages %llu\nprogress-handler-ms %.1f\n",
              static_cast<unsigned long long>(WindowCounter::Read(window, veneer::kPaintCountProperty)),
              static_cast<double>(WindowCounter::Read(window, veneer::kPaintMicrosProperty)) / 1000.0,
              static_cast<unsigned long long>(WindowCounter::Read(window, update::kProgressCountProperty)),
              static_cast<double>(WindowCounter::Read(window, update::kProgressMicrosProperty)) / 1000.0);
  if (clickDone && page == e2e::UpdaterPage::kFinished) {
    // The pointer rests on "Done" first, as a person's would: the hover picture.
    POINT done{(e2e::kDoneButton.left + e2e::kDoneButton.right) / 2,
               (e2e::kDoneButton.top + e2e::kDoneButton.bottom) / 2};
    const LPARAM at = MAKELPARAM(done.x, done.y);
    ClientToScreen(window, &done);
    SetCursorPos(done.x, done.y);
    Sleep(300);
    if (e2e::captureWindow(window).save(folder + L"\\hover-done.bmp")) {
      std::puts("driver: pointer on \"done\", screenshot hover-done.bmp");
    }
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
    std::puts("driver: clicked \"done\"");
    SetCursorPos(0, 0);
  } else {
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
  const std::optional<DWORD> code = e2e::waitExit(process.handle.get(), e2e::kGenerous);
  std::printf("driver: update.exe exit code %ld\n", code ? static_cast<long>(*code) : -999L);
  std::fflush(stdout);
  return code ? static_cast<int>(*code) : kCannotDrive;
}

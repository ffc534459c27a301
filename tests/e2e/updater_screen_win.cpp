#include "tests/e2e/updater_screen_win.h"

#include "tests/e2e/process_win.h"
#include "update/main_view_win.h"

namespace e2e {
namespace {

std::uint64_t fingerprint(const Screenshot& shot, const veneer::WindowRect& r) {
  std::uint64_t hash = 1469598103934665603ull;
  for (int y = r.top; y < r.bottom && y < shot.height; ++y) {
    for (int x = r.left; x < r.right && x < shot.width; ++x) {
      hash = (hash ^ shot.at(x, y)) * 1099511628211ull;
    }
  }
  return hash;
}

}  // namespace

UpdaterPage updaterPageOf(const Screenshot& shot) {
  if (shot.width != 302 || shot.height != 202) return UpdaterPage::kUnknown;
  const auto centre = [&](const veneer::WindowRect& r) {
    return shot.at((r.left + r.right) / 2, (r.top + r.bottom) / 2 - 3);
  };
  if (coloursClose(centre(kDoneButton), kButtonBlue)) return UpdaterPage::kFinished;
  if (coloursClose(centre(kCloseButton), kButtonBlue)) return UpdaterPage::kError;
  const COLORREF barStart = shot.at(kBar.left + 2, kBar.top + 7);
  if (coloursClose(barStart, kTrackGrey, 30) || coloursClose(barStart, kButtonBlue, 30)) return UpdaterPage::kProgress;
  return UpdaterPage::kUnknown;
}

UpdaterPage updaterPageOf(HWND window) {
  // The window's pages: 0 to 2 download, replace and install, 3 finished, 4 error; published plus one.
  switch (reinterpret_cast<std::uintptr_t>(GetPropW(window, update::kPageProperty))) {
    case 1:
    case 2:
    case 3: return UpdaterPage::kProgress;
    case 4: return UpdaterPage::kFinished;
    case 5: return UpdaterPage::kError;
    default: return UpdaterPage::kUnknown;
  }
}

std::uint64_t captionFingerprint(const Screenshot& shot) {
  return fingerprint(shot, veneer::WindowRect{kCaptionText.left, kCaptionText.top, kCaptionText.right, 38});
}

std::uint64_t barFingerprint(const Screenshot& shot) {
  return fingerprint(shot, kBar);
}

HWND waitForUpdaterWindow(DWORD pid, DWORD millis) {
  return waitForVisibleWindow(pid, L"UpdWnd", millis);
}

}  // namespace e2e

// How the updater's window looks from outside: which page it shows, told by
// pixels of the shipped layout at scale 100.
#pragma once

#include <windows.h>

#include <cstdint>

#include "tests/e2e/screen_win.h"
#include "veneer/wnd/vwindow.h"

namespace e2e {

// Rectangles of the shipped layout at scale 100 (host client coordinates).
inline constexpr veneer::WindowRect kCaptionText{13, 4, 259, 42};
inline constexpr int kCaptionBandRows = 38 - 4;  // the blue band ends at y 38
inline constexpr veneer::WindowRect kErrorText{11, 82, 291, 102};
inline constexpr veneer::WindowRect kDoneButton{95, 101, 206, 132};
inline constexpr veneer::WindowRect kCloseButton{181, 127, 269, 155};
inline constexpr veneer::WindowRect kBar{32, 123, 272, 137};  // below "Current Progress:" in its 14-pixel font
inline constexpr COLORREF kButtonBlue = RGB(0x53, 0xB0, 0xFE);
inline constexpr COLORREF kTrackGrey = RGB(0xF3, 0xF4, 0xF6);
inline constexpr COLORREF kCaptionBlue = RGB(0x35, 0x6C, 0xD1);

enum class UpdaterPage { kProgress, kFinished, kError, kUnknown };

// The page a screenshot of the window shows, told by its pixels.
UpdaterPage updaterPageOf(const Screenshot& shot);
// The page the window last laid out, as it publishes it in a window property.
UpdaterPage updaterPageOf(HWND window);
// A fingerprint of the caption's text: it tells the progress pages apart.
std::uint64_t captionFingerprint(const Screenshot& shot);
// A fingerprint of the bar and its percentage.
std::uint64_t barFingerprint(const Screenshot& shot);

// The first visible window of class "UpdWnd" of process `pid`; null after `millis`.
HWND waitForUpdaterWindow(DWORD pid, DWORD millis);

}  // namespace e2e

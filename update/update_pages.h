// What the update window does with the worker's messages and its buttons,
// on its control tree: which page shows, what the bar and the error text
// say, where the header image sits. Also the window's scale, size and
// centring rules and the installer's command line. Portable: the Windows
// window (main_view_win) only forwards messages here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "update/progress2.h"
#include "veneer/wnd/controls.h"

namespace update {

class UpdatePages {
 public:
  // Looks up the tab control and the error text, selects page 0 and binds
  // the bar and the header to it (the header is optional: its absence is logged).
  void Init(veneer::VWindow& root);

  void OnDownloadProgress(std::int32_t total, std::int32_t current);
  void OnReplaceProgress(std::int32_t total, std::int32_t current);
  void OnInstallStep(std::int32_t wParam, std::int32_t lParam);
  // `text` may be null: the page keeps the layout's default text.
  void OnUpdateError(const char16_t* text);

  // Range (unless total is 0) and value of the bound bar; moves the header onto the end of the fill.
  void ShowProgress(std::int32_t total, std::int32_t current);

  veneer::VTabCtrl* Tab() const { return tab_; }
  veneer::VProgress2* Progress() const { return progress_; }
  veneer::VImageWnd* Header() const { return header_; }
  veneer::VStatic* ErrorInfo() const { return errorinfo_; }
  int CurrentPage() const { return tab_ ? tab_->CurSel() : -1; }

 private:
  void select(int page);
  void bind(int page);

  veneer::VTabCtrl* tab_ = nullptr;
  veneer::VProgress2* progress_ = nullptr;
  veneer::VImageWnd* header_ = nullptr;
  veneer::VStatic* errorinfo_ = nullptr;
};

enum class CommandAction { kNone, kClose, kStartInstallerAndClose };
CommandAction ActionForCommand(int id);

// The new installer's start: `"<rppath>" "--delay=1" "--runarg=update"` in
// the folder of rppath; nothing for a path too long for the window's buffers.
struct InstallerLaunch {
  std::u16string commandLine;
  std::u16string folder;
  std::u16string program;     // rppath, for the shell's start
  std::u16string parameters;  // the command line after the program
};
std::optional<InstallerLaunch> InstallerLaunchFor(std::u16string_view rppath);

// How the window starts the installer: as a program; where the system
// answers that it needs elevation, through the shell, whose consent prompt
// asks for it. Each returns 0 when the installer started, else the system's error.
class InstallerStartPort {
 public:
  virtual ~InstallerStartPort() = default;
  virtual std::uint32_t createProcess(const InstallerLaunch& launch) = 0;
  virtual std::uint32_t shellExecute(const InstallerLaunch& launch) = 0;
};
inline constexpr std::uint32_t kElevationRequired = 740;  // ERROR_ELEVATION_REQUIRED
inline constexpr std::uint32_t kStartCancelled = 1223;    // ERROR_CANCELLED: the consent prompt was declined

struct InstallerStart {
  bool started = false;
  std::uint32_t error = 0;  // of the last attempt
  std::string logLine;
};
InstallerStart StartNewInstaller(const InstallerLaunch& launch, InstallerStartPort& port);

// The window's scale for a screen of `dpi` dots per inch: 100, 125, 150 or 200.
int ScaleForDpi(int dpi);
// The scale after a display change; nothing (the scale stays) on Windows
// before version 6.
std::optional<int> ScaleAfterDisplayChange(unsigned majorVersion, int dpi);

// A window rectangle (screen coordinates) taken from `oldScale` to `newScale`.
veneer::WindowRect RescaleRect(const veneer::WindowRect& rect, int newScale, int oldScale);

// The top-left corner that centres `window` on `reference` (on the work area
// when there is none) and keeps it inside the work area.
veneer::PixelPoint CentredPosition(const veneer::WindowRect& window, const std::optional<veneer::WindowRect>& reference,
                                   const veneer::WindowRect& workArea);

}  // namespace update

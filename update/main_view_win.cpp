#include "update/main_view_win.h"

#include <shellapi.h>

#include <cstdint>
#include <optional>
#include <string>

#include "common/unique_handle_win.h"
#include "common/wide_win.h"
#include "update/window_sink_win.h"
#include "veneer/core/toolkit_log.h"
#include "veneer/xml/xml_names.h"

namespace update {
namespace {

// The platform's major version; Windows before Vista (6) gets no scaling.
DWORD majorVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&info)) return 0;
#pragma GCC diagnostic pop
  return info.dwMajorVersion;
}

int screenDpi() {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return 96;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

veneer::WindowRect fromRect(const RECT& r) { return veneer::WindowRect{r.left, r.top, r.right, r.bottom}; }

// The work area of `monitor`; nothing when the platform cannot tell it.
std::optional<veneer::WindowRect> workAreaOf(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return std::nullopt;
  return fromRect(info.rcWork);
}

}  // namespace

bool MainView::CreateFromLayout(std::u16string_view layoutId) {
  pugi::xml_document document;
  if (!app_.LoadXmlDocument(document, layoutId)) return false;
  return Create(veneer::xml::child(document, "veneer"), 0, 0);
}

LRESULT MainView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const auto w = static_cast<std::int32_t>(wParam);
  const auto l = static_cast<std::int32_t>(lParam);
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return 0;
    case UM_DOWNLOAD_PROGRESS:
      return onProgressMessage(&UpdatePages::OnDownloadProgress, w, l);
    case UM_REPLACE_PROGRESS:
      return onProgressMessage(&UpdatePages::OnReplaceProgress, w, l);
    case UM_INSTALL_STEP:
      return onProgressMessage(&UpdatePages::OnInstallStep, w, l);
    case UM_UPDATE_ERROR: {
      const auto* text = reinterpret_cast<const wchar_t*>(lParam);
      const std::u16string copy = text != nullptr ? common::fromWide(text) : std::u16string();
      pages_.OnUpdateError(text != nullptr ? copy.c_str() : nullptr);
      relayoutPage();
      return 0;
    }
    case WM_DISPLAYCHANGE:
      OnDisplayChange(screenDpi());
      return 0;
    case WM_DPICHANGED:
      // The monitor's new DPI comes with the message (the suggested rectangle
      // is not used: the window's own rules size and centre it).
      OnDisplayChange(LOWORD(wParam));
      return 0;
    default:
      return VHostWnd::HandleMessage(message, wParam, lParam);
  }
}

void MainView::OnInitDialog() {
  SendMessageW(Handle(), WM_DISPLAYCHANGE, 0, 0);
  if (Root() != nullptr) pages_.Init(*Root());
  relayoutPage();
  if (args_ != nullptr) StartUpdateWorker(Handle(), *args_, app_.GetTranslator());
}

void MainView::relayoutPage() {
  Relayout();
  SetPropW(Handle(), kPageProperty, reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(pages_.CurrentPage() + 1)));
}

bool MainView::OnCommand(int id, std::u16string_view) {
  switch (ActionForCommand(id)) {
    case CommandAction::kClose:
      DestroyWindow(Handle());
      return true;
    case CommandAction::kStartInstallerAndClose:
      // An installer that did not start leaves the window open and says so:
      // closing would look as if the update went on.
      if (StartInstaller()) {
        DestroyWindow(Handle());
      } else {
        pages_.OnUpdateError(app_.GetTranslator().Translate(u"{start fail}", u"rt.msg").c_str());
        relayoutPage();
      }
      return true;
    case CommandAction::kNone:
      return false;
  }
  return false;
}

namespace {

class SystemInstallerStart final : public InstallerStartPort {
 public:
  explicit SystemInstallerStart(HWND owner) : owner_(owner) {}

  std::uint32_t createProcess(const InstallerLaunch& launch) override {
    std::wstring commandLine = common::toWide(launch.commandLine);  // CreateProcessW may write to it
    const std::wstring folder = common::toWide(launch.folder);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
      return GetLastError();
    }
    common::UniqueHandle processHandle(process.hProcess);
    common::UniqueHandle threadHandle(process.hThread);
    return 0;
  }

  // The installer's manifest asks for administrator rights: the shell shows
  // the consent prompt, owned by the window.
  std::uint32_t shellExecute(const InstallerLaunch& launch) override {
    const std::wstring program = common::toWide(launch.program);
    const std::wstring parameters = common::toWide(launch.parameters);
    const std::wstring folder = common::toWide(launch.folder);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner_;
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) return GetLastError();
    return 0;
  }

 private:
  HWND owner_;
};

}  // namespace

bool MainView::StartInstaller() {
  if (args_ == nullptr) return false;
  const std::optional<InstallerLaunch> launch = InstallerLaunchFor(args_->rppath);
  if (!launch) {
    veneer::ToolkitWarning("the installer could not be started: its path is too long");
    return false;
  }
  SystemInstallerStart system(Handle());
  const InstallerStart start = StartNewInstaller(*launch, system);
  veneer::ToolkitWarning(start.logLine);
  return start.started;
}

void MainView::OnDisplayChange(int dpi) {
  const std::optional<int> scale = ScaleAfterDisplayChange(majorVersion(), dpi);
  if (!scale) return;
  const int newScale = *scale;
  RECT current{};
  GetWindowRect(Handle(), &current);
  const veneer::WindowRect before = fromRect(current);
  const veneer::WindowRect resized = RescaleRect(before, newScale, Scale());
  // A window that keeps its size (the usual start at 96 DPI) is not sent
  // through the window manager again: under Wine each SetWindowPos costs the
  // start about a millisecond of wineserver and X11 work.
  if (resized.Width() != before.Width() || resized.Height() != before.Height()) {
    SetWindowPos(Handle(), nullptr, 0, 0, resized.Width(), resized.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The same scale again (every start at 96 DPI) would change nothing but
  // throw away the fonts the layout was measured with and lay it out again.
  if (newScale != Scale()) SendMessageW(Handle(), veneer::kScaleMessage, static_cast<WPARAM>(newScale), 0);
  Centre(before);
}

POINT MainView::InitialPosition(int x, int y, int width, int height) const {
  const std::optional<veneer::WindowRect> work = workAreaOf(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST));
  if (!work) return POINT{x, y};
  const veneer::PixelPoint at = CentredPosition(veneer::WindowRect{x, y, x + width, y + height}, std::nullopt, *work);
  return POINT{at.x, at.y};
}

void MainView::Centre(std::optional<veneer::WindowRect> ownRectBefore) {
  HWND reference = GetWindow(Handle(), GW_CHILD);
  if (reference == nullptr) reference = GetActiveWindow();
  if (reference != nullptr && (!IsWindowVisible(reference) || IsIconic(reference))) reference = nullptr;
  const std::optional<veneer::WindowRect> work =
      workAreaOf(MonitorFromWindow(reference ? reference : Handle(), MONITOR_DEFAULTTONEAREST));
  if (!work) return;
  RECT window{};
  GetWindowRect(Handle(), &window);
  std::optional<veneer::WindowRect> around;
  if (reference != nullptr) {
    RECT r{};
    GetWindowRect(reference, &r);
    around = fromRect(r);
    // Once shown, the active window is usually this one: a window rescaled
    // in place is centred on where it was before it grew, so it stays where
    // the user put it instead of growing from its corner.
    if (reference == Handle() && ownRectBefore) around = ownRectBefore;
  }
  const veneer::PixelPoint at = CentredPosition(fromRect(window), around, *work);
  // Centred already: the window is made centred, and the start centres it twice more.
  if (at.x == window.left && at.y == window.top) return;
  SetWindowPos(Handle(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

MainView::Shown MainView::shown() const {
  Shown now;
  now.page = pages_.CurrentPage();
  if (const veneer::VProgress2* bar = pages_.Progress()) {
    now.bar = bar;
    now.fill = bar->FillExtent(bar->Vertical() ? bar->Rect().Height() : bar->Rect().Width());
    now.percent = bar->Percent();
  }
  if (pages_.ErrorInfo() != nullptr) now.error = pages_.ErrorInfo()->WindowText();
  return now;
}

LRESULT MainView::onProgressMessage(void (UpdatePages::*handler)(std::int32_t, std::int32_t), std::int32_t wParam,
                                    std::int32_t lParam) {
  const std::uint64_t started = veneer::MicrosecondsNow();
  const Shown before = shown();
  const int valueBefore = barValue();
  (pages_.*handler)(wParam, lParam);
  refreshIfChanged(before, valueBefore);
  progressMessages_.Add(veneer::MicrosecondsNow() - started);
  return 0;
}

int MainView::barValue() const { return pages_.Progress() ? pages_.Progress()->Value() : 0; }

void MainView::refreshIfChanged(const Shown& before, int valueBefore) {
  const ULONGLONG now = GetTickCount64();
  const Shown after = shown();
  if (after.page != before.page || after.bar != before.bar || after.error != before.error) {
    relayoutPage();  // another page: laid out and painted whole
    lastRepaint_ = now;
  } else if (after != before || (barValue() != valueBefore && now - lastRepaint_ >= kRepaintMillis)) {
    if (pages_.Progress() != nullptr) Invalidate(*pages_.Progress());  // the rest of the window has not changed
    lastRepaint_ = now;
  }
}

}  // namespace update

#include "update/update_pages.h"

#include "update/update_worker.h"

namespace update {

using veneer::VImageWnd;
using veneer::VProgress2;
using veneer::VStatic;
using veneer::VTabCtrl;
using veneer::WindowRect;

void UpdatePages::Init(veneer::VWindow& root) {
  tab_ = static_cast<VTabCtrl*>(root.FindChildByName2(u"tab.step", "tabctrl", -1));
  errorinfo_ = static_cast<VStatic*>(root.FindChildByName2(u"errorinfo", "text", -1));
  select(0);
  bind(0);
}

void UpdatePages::select(int page) {
  if (tab_ != nullptr) tab_->SelectPage(page);
}

void UpdatePages::bind(int page) {
  veneer::VTabPage* shown = tab_ ? tab_->GetPage(page) : nullptr;
  if (shown == nullptr) {
    header_ = nullptr;
    progress_ = nullptr;
    return;
  }
  header_ = static_cast<VImageWnd*>(shown->FindChildByName2(u"prog_header", "img", -1));
  progress_ = static_cast<VProgress2*>(shown->FindChildByName2(u"progress", "progress2", -1));
}

void UpdatePages::ShowProgress(std::int32_t total, std::int32_t current) {
  if (progress_ == nullptr) return;
  if (total != 0) progress_->SetRange(0, total);
  progress_->SetValue(current);
  if (header_ != nullptr) {
    const WindowRect& r = header_->Rect();
    const veneer::PixelPoint at = progress_->HeaderPosition(r.Width(), r.Height(), 6, -2);
    header_->MoveTo(at.x, at.y);
  }
}

void UpdatePages::OnDownloadProgress(std::int32_t total, std::int32_t current) {
  ShowProgress(total, current);
  if (total == current) {
    select(1);
    bind(1);
  }
}

void UpdatePages::OnReplaceProgress(std::int32_t total, std::int32_t current) {
  ShowProgress(total, current);
  if (total == current && total == -1) {
    select(2);
    bind(2);
  }
}

void UpdatePages::OnInstallStep(std::int32_t wParam, std::int32_t lParam) {
  ShowProgress(wParam, lParam);
  if (wParam == 0 && lParam == 0) select(3);  // the bar stays bound where it was
}

void UpdatePages::OnUpdateError(const char16_t* text) {
  if (text != nullptr && errorinfo_ != nullptr) errorinfo_->SetWindowText(text);
  select(4);
}

CommandAction ActionForCommand(int id) {
  switch (id) {
    case 1: return CommandAction::kClose;
    case 2: return CommandAction::kStartInstallerAndClose;
    default: return CommandAction::kNone;
  }
}

std::optional<InstallerLaunch> InstallerLaunchFor(std::u16string_view rppath) {
  // The command line holds three quoted tokens in a buffer of 780 characters.
  if (rppath.size() >= kMaxPath) return std::nullopt;
  InstallerLaunch launch;
  launch.commandLine = u"\"" + std::u16string(rppath) + u"\" \"--delay=1\" \"--runarg=update\"";
  launch.folder = FolderOf(rppath);
  launch.program = rppath;
  launch.parameters = u"\"--delay=1\" \"--runarg=update\"";
  return launch;
}

InstallerStart StartNewInstaller(const InstallerLaunch& launch, InstallerStartPort& port) {
  InstallerStart start;
  start.error = port.createProcess(launch);
  if (start.error == 0) {
    start.started = true;
    start.logLine = "the installer started";
    return start;
  }
  if (start.error != kElevationRequired) {
    start.logLine = "the installer could not be started (error " + std::to_string(start.error) + ")";
    return start;
  }
  start.error = port.shellExecute(launch);
  start.started = start.error == 0;
  if (start.started) {
    start.logLine = "the installer needs elevation: started through the shell";
  } else if (start.error == kStartCancelled) {
    start.logLine = "the installer needs elevation and the consent prompt was declined";
  } else {
    start.logLine = "the installer needs elevation and the shell could not start it (error " +
                    std::to_string(start.error) + ")";
  }
  return start;
}

int ScaleForDpi(int dpi) {
  const int s = static_cast<int>(static_cast<float>(dpi) * 100.0f / 96.0f);
  if (s <= 100) return 100;
  if (s <= 125) return 125;
  if (s <= 150) return 150;
  return 200;
}

std::optional<int> ScaleAfterDisplayChange(unsigned majorVersion, int dpi) {
  if (majorVersion < 6) return std::nullopt;
  return ScaleForDpi(dpi);
}

WindowRect RescaleRect(const WindowRect& rect, int newScale, int oldScale) {
  if (oldScale <= 0) return rect;
  auto scale = [&](int c) {
    return static_cast<int>(static_cast<float>(static_cast<std::int64_t>(c) * newScale) / static_cast<float>(oldScale));
  };
  return WindowRect{scale(rect.left), scale(rect.top), scale(rect.right), scale(rect.bottom)};
}

veneer::PixelPoint CentredPosition(const WindowRect& window, const std::optional<WindowRect>& reference,
                                   const WindowRect& workArea) {
  const WindowRect& around = reference ? *reference : workArea;
  auto place = [](int centre, int size, int low, int high) {
    int edge = centre - size / 2;
    if (edge + size > high) edge = high - size;
    if (edge < low) edge = low;
    return edge;
  };
  return veneer::PixelPoint{
      place((around.left + around.right) / 2, window.Width(), workArea.left, workArea.right),
      place((around.top + around.bottom) / 2, window.Height(), workArea.top, workArea.bottom)};
}

}  // namespace update

// The updater's window: the host window built from "LAYOUT:main_view" that
// starts the worker, turns its messages into pages, and starts the new
// installer from the done button. UI thread only, apart from the messages
// the worker sends it synchronously.
#pragma once

#include <windows.h>

#include <optional>

#include "update/update_args.h"
#include "update/update_pages.h"
#include "veneer/wnd/application_win.h"
#include "veneer/wnd/host_wnd_win.h"

namespace update {

// Window properties: how many progress messages the window handled and the
// microseconds its handler took for them (paints not included).
inline constexpr wchar_t kProgressCountProperty[] = L"UpdProgressCount";
inline constexpr wchar_t kProgressMicrosProperty[] = L"UpdProgressMicros";
// Window property: the page the window was last laid out for, plus one (0
// before the first): what it shows, readable where its pixels are not (the
// screen of a 32-bit program under Wine's WoW64 layer).
inline constexpr wchar_t kPageProperty[] = L"UpdPage";

class MainView final : public veneer::VHostWnd {
 public:
  explicit MainView(veneer::VApplication& app) : VHostWnd(app.Ui(), app.Factories(), app.HostClassName()), app_(app) {}

  // Builds the window from its layout, hidden, with no parent; false when it cannot.
  bool CreateFromLayout(std::u16string_view layoutId);
  // Not owned; set before WM_INITDIALOG and not changed afterwards.
  void SetArgs(const UpdateArgs* args) { args_ = args; }
  // Centres the window on its reference window (its first child window, else
  // the thread's active window, when visible and not minimised) or its
  // monitor's work area. When the reference is the window itself,
  // `ownRectBefore` (its rectangle before a rescale) stands for it.
  void Centre(std::optional<veneer::WindowRect> ownRectBefore = std::nullopt);
  const UpdatePages& Pages() const { return pages_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnCommand(int id, std::u16string_view name) override;
  void OnPainted() override { progressMessages_.Publish(Handle()); }
  // Centred on the work area from the start, where `Centre` would move it
  // (a new window has no reference window): under Wine each SetWindowPos
  // costs the start about a millisecond of wineserver and X11 work.
  POINT InitialPosition(int x, int y, int width, int height) const override;

 private:
  void OnInitDialog();
  // Lays out and repaints the whole window and publishes its page.
  void relayoutPage();
  // One of the three progress messages: the pages' handler, then a repaint if needed.
  LRESULT onProgressMessage(void (UpdatePages::*handler)(std::int32_t, std::int32_t), std::int32_t wParam,
                            std::int32_t lParam);
  // Rescales, resizes and centres the window for the display's `dpi`.
  void OnDisplayChange(int dpi);
  // Starts the new installer; false (logged) when it did not start.
  bool StartInstaller();
  // What the window shows: the page, the bar's fill and percentage, the error text.
  struct Shown {
    int page = -1;
    const void* bar = nullptr;
    int fill = 0;
    int percent = 0;
    std::u16string error;
    bool operator==(const Shown&) const = default;
  };
  Shown shown() const;
  // Lays out and repaints when what the window shows has changed, and
  // repaints at least every kRepaintMillis while the bar's value moves: the
  // worker sends a message per 2048 bytes, far more than the eye needs.
  void refreshIfChanged(const Shown& before, int valueBefore);
  int barValue() const;
  static constexpr ULONGLONG kRepaintMillis = 50;
  ULONGLONG lastRepaint_ = 0;
  veneer::WindowCounter progressMessages_{kProgressCountProperty, kProgressMicrosProperty};

  veneer::VApplication& app_;
  const UpdateArgs* args_ = nullptr;
  UpdatePages pages_;
};

}  // namespace update

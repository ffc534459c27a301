// The host window on Win32: a top-level window built from a layout
// document, painted with GDI, that feeds mouse input to its window tree.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <pugixml.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/unique_handle_win.h"
#include "veneer/core/ui_context.h"
#include "veneer/render/gdi_font_cache_win.h"
#include "veneer/render/gdi_render_target_win.h"
#include "veneer/wnd/layout_document.h"
#include "veneer/wnd/mouse_tracker.h"
#include "veneer/wnd/window_counters_win.h"

namespace veneer {

inline constexpr UINT kScaleMessage = 2024;  // wParam: the new scale in percent

class VHostWnd {
 public:
  // `className` is the window class the host windows are registered under.
  VHostWnd(VUiContext& ui, const VObjectFactoryMgr& registry, std::wstring className = L"VeneerHostWnd");
  virtual ~VHostWnd();
  VHostWnd(const VHostWnd&) = delete;
  VHostWnd& operator=(const VHostWnd&) = delete;

  // Builds the tree from the `VENEER` element and creates the window, hidden,
  // at (x, y) with the layout's size; `Show` shows it.
  bool Create(pugi::xml_node veneerElement, int x, int y, HWND parent = nullptr);
  // Shows the window and paints it at once.
  void Show(int showCommand);
  HWND Handle() const { return window_; }
  VWindow* Root() const { return model_ ? model_->root.get() : nullptr; }
  HostContext& Context() { return host_; }
  int Scale() const { return host_.scale; }
  // The new scale for the host and its whole tree (the scale message), then a new layout.
  void SetScale(int scale);
  // Lays the tree out again in the client area and repaints.
  void Relayout() { layout(); }

  // Receives EventCmd (id and name of the window clicked) that OnCommand leaves.
  std::function<void(int id, std::u16string_view name)> onCommand;

 protected:
  // The window's messages; what a derived window does not handle goes here.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Repaints `window`'s rectangle at the next paint (nothing once the window is gone).
  void Invalidate(const VWindow& window);
  // After each paint (a derived window publishes its counters here).
  virtual void OnPainted() {}
  // Where `Create` puts a window of `width` x `height` pixels asked for at
  // (x, y): there, unless a derived window knows better before it exists.
  virtual POINT InitialPosition(int x, int y, int /*width*/, int /*height*/) const { return POINT{x, y}; }
  // EventCmd from a control; true when handled.
  virtual bool OnCommand(int id, std::u16string_view name) {
    (void)id;
    (void)name;
    return false;
  }

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void paint();
  void layout();
  void setIcons();
  bool setCursor() const;  // the hovered window's "cursor"; false when it names none
  // The system's move loop from a caption press at `at` (client coordinates, as lParam).
  void startCaptionMove(LPARAM at);
  VWindow* windowAt(LPARAM point) const;
  // Repaints the windows whose state a mouse event changed, and lets their
  // animations (a button's fade) run.
  void repaint(const MouseTracker::Changed& changed);
  void animate();
  // One tooltip tool over the whole window whose text is the hovered window's "tip".
  void createTooltip();
  TTTOOLINFOW tooltipTool() const;  // that tool: this window, id 1, the client rectangle
  void relayToTooltip(UINT message, WPARAM wParam, LPARAM lParam) const;
  LRESULT onNotify(const NMHDR& header);

  VUiContext& ui_;
  const VObjectFactoryMgr& registry_;
  HostContext host_;
  std::unique_ptr<VHostModel> model_;
  std::wstring className_;
  HWND window_ = nullptr;
  MouseTracker mouse_;
  bool trackingLeave_ = false;
  bool moveAtFirstMouseMove_ = false;  // a maximised host's caption was pressed
  std::vector<VWindow*> animating_;  // windows whose animation runs on the host's timer
  HWND tooltip_ = nullptr;           // owned by the window: ends with it
  bool tooltipTried_ = false;        // made (or failed) once, at the first mouse message
  std::wstring tipText_;             // what the tooltip shows, kept while it asks
  GdiFontCache fonts_;  // every font the tree draws in, at the current scale
  std::unique_ptr<GdiRenderTarget> backBuffer_;  // the window as last painted; made again for a new size or scale
  common::UniqueIcon smallIcon_, bigIcon_;
  WindowCounter paints_{kPaintCountProperty, kPaintMicrosProperty};
};

}  // namespace veneer

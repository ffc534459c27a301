#include "veneer/wnd/host_wnd_win.h"

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>

#include "common/unique_handle_win.h"
#include "common/wide_win.h"
#include "veneer/render/gdi_render_target_win.h"
#include "veneer/render/paint.h"

namespace veneer {
namespace {

constexpr WPARAM kMoveWithCaption = 0xF012;  // SC_MOVE | HTCAPTION
// The timer that runs the windows' animations (a button's fade).
constexpr UINT_PTR kAnimationTimer = 0x7A;
constexpr UINT kAnimationMillis = 15;

bool registerClass(const std::wstring& name) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), name.c_str(), &existing)) return true;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = DefWindowProcW;  // replaced per window at creation
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = name.c_str();
  return RegisterClassExW(&windowClass) != 0;
}

}  // namespace

VHostWnd::VHostWnd(VUiContext& ui, const VObjectFactoryMgr& registry, std::wstring className)
    : ui_(ui), registry_(registry), className_(std::move(className)) {
  host_.ui = &ui;
  const VUiDefinitions* definitions = ui.Definitions();
  fontFace_ = common::toWide(definitions ? definitions->font.face : DefaultFont{}.face);
  host_.measureText = [this](std::u16string_view text, int) { return MeasureTextGdi(text, fontFace_, fontHeight()); };
  host_.onCommand = [this](int id, std::u16string_view name) {
    if (!OnCommand(id, name) && onCommand) onCommand(id, name);
  };
}

VHostWnd::~VHostWnd() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
}

int VHostWnd::fontHeight() const {
  const VUiDefinitions* definitions = ui_.Definitions();
  const int size = definitions ? definitions->font.size : DefaultFont{}.size;
  return size * host_.scale / 100;
}

bool VHostWnd::Create(pugi::xml_node veneerElement, int x, int y, HWND parent) {
  model_ = BuildHost(veneerElement, host_, registry_);
  const HostAttributes& a = model_->attributes;
  DWORD style = WS_POPUP | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  if (a.resizable) style |= WS_MAXIMIZEBOX | WS_THICKFRAME;
  if (a.appWnd) style |= WS_SYSMENU;
  if (a.wndStyle) style = static_cast<DWORD>(*a.wndStyle) & ~static_cast<DWORD>(WS_VISIBLE);
  DWORD exStyle = a.appWnd ? WS_EX_APPWINDOW : (a.toolWindow ? WS_EX_TOOLWINDOW : 0);
  if (a.translucent || a.alpha < 255) exStyle |= WS_EX_LAYERED;
  if (a.wndStyleEx) exStyle = static_cast<DWORD>(*a.wndStyleEx);
  const LayoutSize size = model_->InitialSize(host_);
  if (!registerClass(className_)) return false;
  const std::wstring title = common::toWide(model_->ShownTitle(host_));
  window_ = CreateWindowExW(exStyle, className_.c_str(), title.c_str(), style, x, y, size.width, size.height, parent,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window_ == nullptr) return false;
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&VHostWnd::windowProc));
  if (exStyle & WS_EX_LAYERED) SetLayeredWindowAttributes(window_, 0, static_cast<BYTE>(a.alpha), LWA_ALPHA);
  createTooltip();
  layout();
  return true;
}

void VHostWnd::Show(int showCommand) {
  if (window_ == nullptr) return;
  ShowWindow(window_, showCommand);
  UpdateWindow(window_);
}

void VHostWnd::SetScale(int scale) {
  host_.scale = scale;
  if (VWindow* root = Root()) root->DispatchScale(scale);
  layout();
}

LRESULT CALLBACK VHostWnd::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<VHostWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

void VHostWnd::layout() {
  RECT client{};
  GetClientRect(window_, &client);
  if (tooltip_ != nullptr) {
    TTTOOLINFOW tool = tooltipTool();
    SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  if (VWindow* root = Root()) root->Move(WindowRect{0, 0, client.right, client.bottom});
  if (window_ != nullptr) InvalidateRect(window_, nullptr, FALSE);
}

VWindow* VHostWnd::windowAt(LPARAM point) const {
  return Root() ? WindowAtPoint(*Root(), GET_X_LPARAM(point), GET_Y_LPARAM(point)) : nullptr;
}

void VHostWnd::invalidate(const VWindow& window) {
  const WindowRect& r = window.Rect();
  const RECT rect{r.left, r.top, r.right, r.bottom};
  InvalidateRect(window_, &rect, FALSE);
}

TTTOOLINFOW VHostWnd::tooltipTool() const {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = window_;
  tool.uId = 1;
  GetClientRect(window_, &tool.rect);
  return tool;
}

void VHostWnd::repaint(const MouseTracker::Changed& changed) {
  for (VWindow* window : changed) {
    invalidate(*window);
    if (std::find(animating_.begin(), animating_.end(), window) == animating_.end()) animating_.push_back(window);
  }
  if (!animating_.empty()) SetTimer(window_, kAnimationTimer, kAnimationMillis, nullptr);
}

void VHostWnd::createTooltip() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  if (tooltip_ == nullptr) return;
  TTTOOLINFOW tool = tooltipTool();
  tool.uFlags = TTF_SUBCLASS;  // the tooltip sees the window's mouse messages itself
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT VHostWnd::onNotify(const NMHDR& header) {
  if (header.hwndFrom != tooltip_ || header.code != TTN_GETDISPINFOW) return 0;
  auto& info = const_cast<NMTTDISPINFOW&>(reinterpret_cast<const NMTTDISPINFOW&>(header));
  const VWindow* hovered = mouse_.Hovered();
  tipText_ = hovered != nullptr ? common::toWide(hovered->Tip()) : std::wstring();
  info.lpszText = tipText_.data();  // empty: no tip is shown
  return 0;
}

void VHostWnd::animate() {
  std::erase_if(animating_, [this](VWindow* window) {
    const bool running = window->AdvanceAnimation();
    invalidate(*window);
    return !running;
  });
  if (animating_.empty()) KillTimer(window_, kAnimationTimer);
}

void VHostWnd::paint() {
  SetPropW(window_, kPaintCountProperty, reinterpret_cast<HANDLE>(++paints_));
  PAINTSTRUCT ps;
  HDC screen = BeginPaint(window_, &ps);
  RECT client{};
  GetClientRect(window_, &client);
  GdiRenderTarget target(client.right, client.bottom, fontFace_, fontHeight());
  if (target.Valid() && Root() != nullptr) {
    target.FillRect(WindowRect{0, 0, client.right, client.bottom}, makeColour(255, 255, 255));
    PaintWindowTree(*Root(), target);
    BitBlt(screen, 0, 0, client.right, client.bottom, target.Dc(), 0, 0, SRCCOPY);
  }
  EndPaint(window_, &ps);
}

LRESULT VHostWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      layout();
      return 0;
    case WM_MOUSEMOVE: {
      if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
        trackingLeave_ = TrackMouseEvent(&track) != FALSE;
      }
      VWindow* before = mouse_.Hovered();
      repaint(mouse_.Move(windowAt(lParam)));
      // Another window under the mouse: the tip (if any) is asked for again once the mouse rests.
      if (tooltip_ != nullptr && mouse_.Hovered() != before) SendMessageW(tooltip_, TTM_POP, 0, 0);
      return 0;
    }
    case WM_NOTIFY:
      return onNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_TIMER:
      if (wParam != kAnimationTimer) return DefWindowProcW(window_, message, wParam, lParam);
      animate();
      return 0;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      repaint(mouse_.Leave());
      return 0;
    case WM_LBUTTONDOWN: {
      VWindow* hit = windowAt(lParam);
      // Anywhere on the caption band but its buttons (its text included) moves the window.
      if (CaptionToDrag(hit) != nullptr) {
        if (!IsZoomed(window_)) {
          ReleaseCapture();
          SendMessageW(window_, WM_SYSCOMMAND, kMoveWithCaption, 0);
          PostMessageW(window_, WM_LBUTTONUP, 0, lParam);
        }
        return 0;
      }
      repaint(mouse_.Press(hit));
      if (hit != nullptr) SetCapture(window_);
      return 0;
    }
    case WM_LBUTTONUP: {
      if (GetCapture() == window_) ReleaseCapture();
      // The command may close the window: what changed is repainted only
      // while there is a window (a null handle would repaint the desktop).
      const MouseTracker::Changed changed = mouse_.Release(windowAt(lParam));
      if (window_ != nullptr) repaint(changed);
      return 0;
    }
    case WM_LBUTTONDBLCLK: {
      VWindow* hit = windowAt(lParam);
      const LONG style = GetWindowLongW(window_, GWL_STYLE);
      if (CaptionToDrag(hit) != nullptr && (style & WS_THICKFRAME) && (style & WS_MAXIMIZEBOX)) {
        SendMessageW(window_, WM_SYSCOMMAND, IsZoomed(window_) ? SC_RESTORE : SC_MAXIMIZE, 0);
      }
      return 0;
    }
    case kScaleMessage:
      SetScale(static_cast<int>(wParam));
      return 0;
    case WM_DESTROY: {
      const LONG style = GetWindowLongW(window_, GWL_STYLE);
      const LONG exStyle = GetWindowLongW(window_, GWL_EXSTYLE);
      if (model_ && QuitsOnDestroy(model_->attributes.wndType, (style & WS_CHILD) != 0, (exStyle & WS_EX_TOOLWINDOW) != 0)) {
        PostQuitMessage(1);
      }
      RemovePropW(window_, kPaintCountProperty);
      SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
      animating_.clear();  // the timer ends with the window
      window_ = nullptr;
      return 0;
    }
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

}  // namespace veneer

#include "veneer/wnd/host_wnd_win.h"

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>

#include "common/system_version_win.h"
#include "common/unique_handle_win.h"
#include "common/wide_win.h"
#include "veneer/render/gdi_render_target_win.h"
#include "veneer/render/paint.h"
#include "veneer/res/resource_id.h"

namespace veneer {
namespace {

constexpr WPARAM kMoveWithCaption = 0xF012;      // SC_MOVE | HTCAPTION
constexpr WPARAM kMaximiseWithCaption = 0xF032;  // SC_MAXIMIZE | HTCAPTION
constexpr WPARAM kRestoreWithCaption = 0xF122;   // SC_RESTORE | HTCAPTION
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

struct SystemVersion {
  unsigned major = 0;
  bool workstation = true;
};

// The true version and product type, looked up once. Without a version
// (major 0) the product type is taken for a workstation.
SystemVersion systemVersion() {
  static const SystemVersion version = [] {
    const RTL_OSVERSIONINFOEXW info = common::trueSystemVersion();
    if (info.dwMajorVersion == 0) return SystemVersion{};
    return SystemVersion{info.dwMajorVersion, info.wProductType == VER_NT_WORKSTATION};
  }();
  return version;
}

// A "cursor" value that names a standard cursor by one of their names.
LPCWSTR standardCursorNamed(std::u16string_view name) {
  static const std::pair<std::u16string_view, LPCWSTR> kNames[] = {
      {u"arrow", IDC_ARROW},     {u"hand", IDC_HAND},         {u"ibeam", IDC_IBEAM},
      {u"wait", IDC_WAIT},       {u"cross", IDC_CROSS},       {u"sizeall", IDC_SIZEALL},
      {u"sizewe", IDC_SIZEWE},   {u"sizens", IDC_SIZENS},     {u"sizenwse", IDC_SIZENWSE},
      {u"sizenesw", IDC_SIZENESW}, {u"no", IDC_NO},           {u"help", IDC_HELP},
      {u"appstarting", IDC_APPSTARTING}, {u"uparrow", IDC_UPARROW}};
  const std::u16string lower = lowerAscii(name);
  for (const auto& [known, id] : kNames) {
    if (lower == known) return id;
  }
  return nullptr;
}

// The common controls are loaded when the first tooltip is made, not with
// the program: under Wine their start (the tooltip class and the theming
// engine) took about 50 ms before a window could paint. The library stays
// loaded until the program ends; its classes are registered for good.
bool loadCommonControls() {
  static const common::UniqueModule library(LoadLibraryW(L"comctl32.dll"));
  using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init = library ? reinterpret_cast<Init>(
                                  reinterpret_cast<void*>(GetProcAddress(library.get(), "InitCommonControlsEx")))
                            : nullptr;
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  return init != nullptr && init(&controls) != FALSE;
}

}  // namespace

VHostWnd::VHostWnd(VUiContext& ui, const VObjectFactoryMgr& registry, std::wstring className)
    : ui_(ui),
      registry_(registry),
      className_(std::move(className)),
      fonts_(ui.Definitions() ? ui.Definitions()->font.face : DefaultFont{}.face) {
  host_.ui = &ui;
  host_.measureText = [this](std::u16string_view text, const FontDescription& font, int wrapWidth) {
    return fonts_.Measure(text, font, wrapWidth);
  };
  host_.onCommand = [this](int id, std::u16string_view name) {
    if (!OnCommand(id, name) && onCommand) onCommand(id, name);
  };
}

VHostWnd::~VHostWnd() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
}

bool VHostWnd::Create(pugi::xml_node veneerElement, int x, int y, HWND parent) {
  model_ = BuildHost(veneerElement, host_, registry_);
  const HostAttributes& a = model_->attributes;
  // Explicit styles are added to the window's own in place of the computed ones.
  DWORD style = WS_POPUP | WS_CLIPCHILDREN;
  if (a.wndStyle) {
    style |= static_cast<DWORD>(*a.wndStyle) & ~static_cast<DWORD>(WS_VISIBLE);
  } else {
    style |= WS_MINIMIZEBOX;
    if (a.resizable) style |= WS_MAXIMIZEBOX | WS_THICKFRAME;
    if (a.appWnd) style |= WS_SYSMENU;
  }
  DWORD exStyle = 0;
  if (a.wndStyleEx) {
    exStyle = static_cast<DWORD>(*a.wndStyleEx);
  } else {
    exStyle = a.appWnd ? WS_EX_APPWINDOW : (a.toolWindow ? WS_EX_TOOLWINDOW : 0);
    if (a.translucent) exStyle |= WS_EX_LAYERED;
  }
  if (a.alpha < 255) exStyle |= WS_EX_LAYERED;
  const LayoutSize size = model_->InitialSize(host_);
  if (!registerClass(className_)) return false;
  const std::wstring title = common::toWide(model_->ShownTitle(host_));
  const POINT at = InitialPosition(x, y, size.width, size.height);
  window_ = CreateWindowExW(exStyle, className_.c_str(), title.c_str(), style, at.x, at.y, size.width, size.height,
                            parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window_ == nullptr) return false;
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&VHostWnd::windowProc));
  if (exStyle & WS_EX_LAYERED) SetLayeredWindowAttributes(window_, 0, static_cast<BYTE>(a.alpha), LWA_ALPHA);
  setIcons();
  layout();
  return true;
}

void VHostWnd::setIcons() {
  const HostAttributes& a = model_->attributes;
  auto load = [this](const std::u16string& id, int metricX, int metricY) -> HICON {
    const auto parts = splitResourceId(id);
    IResProvider* provider = parts ? ui_.Providers().FindProvider(parts->type, parts->name) : nullptr;
    if (provider == nullptr) return nullptr;
    return static_cast<HICON>(provider->LoadIconRes(parts->name, GetSystemMetrics(metricX), GetSystemMetrics(metricY)));
  };
  if (!a.smallIcon.empty()) smallIcon_.reset(load(a.smallIcon, SM_CXSMICON, SM_CYSMICON));
  if (!a.bigIcon.empty()) bigIcon_.reset(load(a.bigIcon, SM_CXICON, SM_CYICON));
  if (smallIcon_) SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
  if (bigIcon_) SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
}

void VHostWnd::startCaptionMove(LPARAM at) {
  ReleaseCapture();
  SendMessageW(window_, WM_SYSCOMMAND, kMoveWithCaption, 0);
  // The move loop swallowed the release: the host is handed one.
  PostMessageW(window_, WM_LBUTTONUP, 0, at);
}

bool VHostWnd::setCursor() const {
  for (const VWindow* w = mouse_.Hovered(); w != nullptr; w = w->Parent()) {
    if (w->Style().cursor.empty()) continue;
    // A standard cursor's name, else the resource list's: a standard
    // cursor's number, or a cursor resource kept by name once loaded.
    LPCWSTR id = standardCursorNamed(w->Style().cursor);
    HCURSOR cursor = id != nullptr ? LoadCursorW(nullptr, id)
                                   : static_cast<HCURSOR>(ui_.Providers().LoadCursorByName(w->Style().cursor));
    if (cursor == nullptr) return false;
    SetCursor(cursor);
    return true;
  }
  return false;
}

void VHostWnd::Show(int showCommand) {
  if (window_ == nullptr) return;
  ShowWindow(window_, showCommand);
  UpdateWindow(window_);
}

void VHostWnd::SetScale(int scale) {
  host_.scale = scale;
  backBuffer_.reset();  // its pictures and fonts are of the old scale
  fonts_.Clear();
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

void VHostWnd::Invalidate(const VWindow& window) {
  if (window_ == nullptr) return;  // a null handle would repaint the desktop
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
    Invalidate(*window);
    if (std::find(animating_.begin(), animating_.end(), window) == animating_.end()) animating_.push_back(window);
  }
  if (!animating_.empty()) SetTimer(window_, kAnimationTimer, kAnimationMillis, nullptr);
}

// Made when the mouse first moves over the window: nobody hovers a window
// that has not painted yet.
void VHostWnd::createTooltip() {
  tooltipTried_ = true;
  if (!loadCommonControls()) return;
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  if (tooltip_ == nullptr) return;
  TTTOOLINFOW tool = tooltipTool();
  // Not TTF_SUBCLASS: a subclassed window pays for the subclass lookup on
  // every message it gets (a wineserver round trip per message under Wine,
  // with the worker's message per 2048 bytes); the host relays the mouse
  // messages the tooltip needs instead.
  tool.uFlags = 0;
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
    Invalidate(*window);
    return !running;
  });
  if (animating_.empty()) KillTimer(window_, kAnimationTimer);
}

void VHostWnd::paint() {
  const std::uint64_t started = MicrosecondsNow();
  PAINTSTRUCT ps;
  HDC screen = BeginPaint(window_, &ps);
  RECT client{};
  GetClientRect(window_, &client);
  if (Root() != nullptr) Root()->LayoutIfNeeded();  // a text changed its window's size
  if (!backBuffer_ || backBuffer_->Width() != client.right || backBuffer_->Height() != client.bottom) {
    backBuffer_ = std::make_unique<GdiRenderTarget>(client.right, client.bottom, fonts_);
    ps.rcPaint = client;  // nothing of the new buffer is drawn yet
  }
  // Only the part asked for is drawn again; the rest of the buffer still shows the window.
  const WindowRect dirty{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom};
  if (backBuffer_->Valid() && Root() != nullptr && dirty.Width() > 0 && dirty.Height() > 0) {
    backBuffer_->PushClip(dirty);
    backBuffer_->FillRect(dirty, makeColour(255, 255, 255));
    PaintWindowTree(*Root(), *backBuffer_);
    backBuffer_->PopClip();
    BitBlt(screen, dirty.left, dirty.top, dirty.Width(), dirty.Height(), backBuffer_->Dc(), dirty.left, dirty.top,
           SRCCOPY);
  }
  EndPaint(window_, &ps);
  const std::uint64_t ended = MicrosecondsNow();
  if (paints_.Count() == 0) PublishMoment(window_, kFirstPaintEndProperty, ended);
  paints_.Add(ended - started);
  paints_.Publish(window_);
  OnPainted();
}

void VHostWnd::relayToTooltip(UINT message, WPARAM wParam, LPARAM lParam) const {
  if (tooltip_ == nullptr) return;
  MSG relayed{window_, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
  const DWORD at = GetMessagePos();
  relayed.pt = POINT{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

LRESULT VHostWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) {
    if (!tooltipTried_) createTooltip();
    relayToTooltip(message, wParam, lParam);
  }
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
      if (moveAtFirstMouseMove_) {
        moveAtFirstMouseMove_ = false;
        if (wParam & MK_LBUTTON) startCaptionMove(lParam);
        return 0;
      }
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
        const SystemVersion system = systemVersion();
        switch (CaptionMoveOnPress(IsZoomed(window_) != FALSE, system.major, system.workstation)) {
          case CaptionMove::kAtOnce:
            startCaptionMove(lParam);
            break;
          case CaptionMove::kAtFirstMouseMove:
            moveAtFirstMouseMove_ = true;
            SetCapture(window_);
            break;
          case CaptionMove::kNone:
            break;
        }
        return 0;
      }
      repaint(mouse_.Press(hit));
      if (hit != nullptr) SetCapture(window_);
      return 0;
    }
    case WM_LBUTTONUP: {
      moveAtFirstMouseMove_ = false;
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
        SendMessageW(window_, WM_SYSCOMMAND, IsZoomed(window_) ? kRestoreWithCaption : kMaximiseWithCaption, 0);
      }
      return 0;
    }
    case WM_NCHITTEST: {
      if (!model_) return DefWindowProcW(window_, message, wParam, lParam);
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ScreenToClient(window_, &at);
      RECT client{};
      GetClientRect(window_, &client);
      const LRESULT outer = DefWindowProcW(window_, message, wParam, lParam);
      if (outer != HTCLIENT) return outer;  // the system's own frame, when there is one
      return ResizeHitAt(model_->attributes, host_.scale, IsZoomed(window_) != FALSE, at.x, at.y, client.right,
                         client.bottom);
    }
    case WM_GETMINMAXINFO: {
      if (!model_) return DefWindowProcW(window_, message, wParam, lParam);
      auto& info = *reinterpret_cast<MINMAXINFO*>(lParam);
      const int width = model_->attributes.minSize[0].toPixels(host_.scale);
      const int height = model_->attributes.minSize[1].toPixels(host_.scale);
      if (width > 0) info.ptMinTrackSize.x = width;
      if (height > 0) info.ptMinTrackSize.y = height;
      return 0;
    }
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && setCursor()) return TRUE;
      return DefWindowProcW(window_, message, wParam, lParam);
    case kScaleMessage:
      SetScale(static_cast<int>(wParam));
      return 0;
    case WM_DESTROY: {
      const LONG style = GetWindowLongW(window_, GWL_STYLE);
      const LONG exStyle = GetWindowLongW(window_, GWL_EXSTYLE);
      if (model_ && QuitsOnDestroy(model_->attributes.wndType, (style & WS_CHILD) != 0, (exStyle & WS_EX_TOOLWINDOW) != 0)) {
        PostQuitMessage(1);
      }
      paints_.Remove(window_);
      RemovePropW(window_, kFirstPaintEndProperty);
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

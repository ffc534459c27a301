// A host built from a layout document: the `VENEER` element's host
// attributes, its private skins and styles, and the window tree of `root`.
#pragma once

#include <pugixml.hpp>

#include <memory>
#include <optional>
#include <string>

#include "veneer/skin/skin_pool.h"
#include "veneer/wnd/object_factory.h"
#include "veneer/wnd/vwindow.h"

namespace veneer {

enum class WndType { kUndefine, kAppMain, kNormal };

struct HostAttributes {
  std::u16string title;  // as written; shown resolved and translated
  std::u16string trCtx;
  LayoutLength width{0, LengthUnit::kPx};
  LayoutLength height{0, LengthUnit::kPx};
  LayoutLength margin[4] = {{0, LengthUnit::kPx}, {0, LengthUnit::kPx}, {0, LengthUnit::kPx}, {0, LengthUnit::kPx}};
  LayoutLength minSize[2] = {{0, LengthUnit::kPx}, {0, LengthUnit::kPx}};  // width, height; 0: none
  // Kept for layouts that read them back; no window of this toolkit maximises into an inset.
  LayoutLength maxInset[4] = {{0, LengthUnit::kPx}, {0, LengthUnit::kPx}, {0, LengthUnit::kPx}, {0, LengthUnit::kPx}};
  std::u16string smallIcon, bigIcon;  // icon ResourceIds
  std::optional<long> wndStyle;
  std::optional<long> wndStyleEx;
  bool resizable = false;
  bool translucent = false;
  bool appWnd = false;
  bool toolWindow = false;
  bool sendWheel2Hover = false;  // kept: no window of this toolkit scrolls
  bool allowSpy = false;         // kept: the toolkit has no inspector
  int alpha = 255;
  WndType wndType = WndType::kUndefine;
};

class VHostModel {
 public:
  HostAttributes attributes;
  std::unique_ptr<VWindow> root;
  std::shared_ptr<VSkinPool> privateSkins;
  std::shared_ptr<VStylePool> privateStyles;

  // The title as shown: named strings resolved, translated in the host's context.
  std::u16string ShownTitle(const HostContext& host) const;
  // The initial size at the host's scale; a direction that is not positive
  // takes the root window's desired size.
  LayoutSize InitialSize(const HostContext& host) const;
};

// Builds the host from the document's `VENEER` element. The host context's
// translation context is set from "trCtx" before any text is set.
std::unique_ptr<VHostModel> BuildHost(pugi::xml_node veneerElement, HostContext& host,
                                      const VObjectFactoryMgr& registry);

// Where a point of the host's window lies for sizing, as the platform's hit
// codes: kHitClient, or a border or corner inside the "margin" widths of a
// "resizable" host that is not maximised.
enum HitCode : int {
  kHitClient = 1,
  kHitLeft = 10,
  kHitRight,
  kHitTop,
  kHitTopLeft,
  kHitTopRight,
  kHitBottom,
  kHitBottomLeft,
  kHitBottomRight,
};
HitCode ResizeHitAt(const HostAttributes& host, int scale, bool maximised, int x, int y, int width, int height);

// Whether destroying the host ends the message loop (posts the quit message).
bool QuitsOnDestroy(WndType role, bool isChildWindow, bool isToolWindow);

// When a press on the caption starts the system's move of the host: at
// once; not at all while the host is maximised; except that on workstation
// systems of major version 6 a maximised host starts it at the first mouse
// move after the press.
enum class CaptionMove { kAtOnce, kAtFirstMouseMove, kNone };
CaptionMove CaptionMoveOnPress(bool maximised, unsigned majorVersion, bool workstation);

}  // namespace veneer

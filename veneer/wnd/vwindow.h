// The toolkit's window tree: windows created from layout elements, their
// attributes, texts, children and rectangles. Portable: the host window and
// drawing are the platform's (issue of the render back ends).
#pragma once

#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "veneer/layout/veneer_layout.h"
#include "veneer/skin/colour.h"
#include "veneer/skin/font_description.h"

namespace veneer {

class VUiContext;
class VSkinObjBase;
class IRenderTarget;

struct WindowRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const WindowRect&) const = default;
};

// The part two rectangles share; empty (zero width or height) when none.
inline WindowRect Intersection(const WindowRect& a, const WindowRect& b) {
  WindowRect r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
               a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

// What every window of one host shares.
struct HostContext {
  VUiContext* ui = nullptr;           // providers, skins, styles, definitions, translations
  std::u16string translationContext;  // the host's "trCtx"
  int scale = 100;
  // Measures a text as the window would draw it in `font` (the render back end's job).
  // The size of `text` in `font`: on one line when `wrapWidth` is 0 or less,
  // else with its words wrapped within that many pixels.
  std::function<LayoutSize(std::u16string_view text, const FontDescription& font, int wrapWidth)> measureText;
  // Receives EventCmd: the id and name of the window that was clicked.
  std::function<void(int id, std::u16string_view name)> onCommand;
};

// Style attributes the system's layouts use.
struct VwndStyle {
  std::optional<Colour> colorText;
  std::optional<Colour> colorTextHover, colorTextPush, colorTextDisable;
  int align = 0;   // 0 left, 1 center, 2 right
  int valign = 0;  // 0 top, 1 middle, 2 bottom
  LayoutLength inset[4] = {{0, LengthUnit::kPx}, {0, LengthUnit::kPx}, {0, LengthUnit::kPx}, {0, LengthUnit::kPx}};
  // Font descriptions as written: the normal one and those of the states.
  std::u16string font, fontHover, fontPush, fontDisable;
  std::optional<Colour> colorBkgnd;   // filled under the skin
  std::optional<Colour> colorBorder;  // a one-pixel frame over the window's edge
  std::u16string cursor;              // the pointer's shape over the window ("hand", "arrow", ...)
};

class VWindow {
 public:
  virtual ~VWindow();
  VWindow(const VWindow&) = delete;
  VWindow& operator=(const VWindow&) = delete;

  // The class name as registered ("window", "text", "tabctrl", ...).
  virtual const char* ClassName() const { return "window"; }
  // True for this class and the classes it derives from.
  virtual bool IsClass(std::string_view className) const;

  // Applies one attribute through the chain: the control's own names, the
  // window's, the style's, the layout parameters'; false when none takes it.
  bool SetAttribute(std::string_view name, std::u16string_view value);

  // Stores the raw text and shows its translation; asks the parent to lay
  // out again when the window's size depends on its content.
  void SetWindowText(std::u16string_view text);
  const std::u16string& RawText() const { return rawText_; }
  // The "tip" text, translated like the window's text (in the language in force now).
  std::u16string Tip() const { return Translated(tip_); }
  const std::u16string& WindowText() const { return shownText_; }
  // The language changed: this window and its children show their texts
  // translated anew (the raw texts stay), and lay out again where their
  // size follows their text.
  void OnLanguageChanged();

  int Id() const { return id_; }
  const std::u16string& Name() const { return name_; }
  // The width within which a wrap-content text wraps its words, in pixels
  // less the insets; 0 when it stays on one line.
  int TextWrapWidth() const;
  // The layout class that places the children, as "layout" named it
  // ("VeneerLayout" unless set). Only the default layout is built: the
  // others' names are kept and the default layout places the children.
  const std::u16string& LayoutClass() const { return layoutClass_; }
  bool Visible() const { return visible_; }
  bool Enabled() const { return enabled_; }
  bool TakesPart() const { return !float_ && (visible_ || display_); }
  void SetVisible(bool visible) { visible_ = visible; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  // Resets the layout parameters: no items, no offsets, wrap content.
  void ResetLayoutParam() { param_ = VeneerLayoutParam{}; }
  VeneerLayoutParam& LayoutParam() { return param_; }
  const VwndStyle& Style() const { return style_; }
  VSkinObjBase* Skin() const;

  VWindow* Parent() const { return parent_; }
  std::size_t ChildCount() const { return children_.size(); }
  VWindow* Child(std::size_t index) const { return index < children_.size() ? children_[index].get() : nullptr; }
  VWindow* AppendChild(std::unique_ptr<VWindow> child);
  // Removes and destroys the last child.
  void RemoveLastChild();

  // In host client coordinates.
  const WindowRect& Rect() const { return rect_; }
  // Gives the window its rectangle and lays out its children inside it.
  void Move(const WindowRect& rect);
  // Moves the window to (x, y) in host client coordinates, keeping its width
  // and height where given as -1. From then on it floats: its parent's layout
  // leaves it where it was put.
  void MoveTo(int x, int y, int width = -1, int height = -1);
  // Moving with no rectangle: the window takes part in its parent's layout again.
  void Unfloat();
  bool Floating() const { return float_; }
  // The window's desired size for its content given the space available.
  virtual LayoutSize DesiredSize(int availableWidth, int availableHeight) const;
  bool NeedsLayout() const { return layoutDirty_; }

  // The first window named `name` (exactly) of class `className`: direct
  // children first, then each child's subtree in order; a negative depth is
  // unlimited, 1 direct children only. Writes the toolkit warning when none is found.
  VWindow* FindChildByName2(std::u16string_view name, std::string_view className, int depth) const;

  // The new scale for this window and every descendant, parent first.
  void DispatchScale(int scale);

  // Mouse: a release over the window it was pressed on raises EventCmd; a
  // release elsewhere cancels the press.
  void OnLButtonDown();
  void OnLButtonUp();
  void CancelPress() { pushed_ = false; }
  // Whether the mouse is over the window; true when that changed.
  bool SetHover(bool hover);
  // The state image and colours to draw: 3 disabled, 2 pushed (while the
  // mouse is on it), 1 hover, 0 normal.
  int StateIndex() const;
  // The text colour of the current state: the state's own, else "colorText", else black.
  Colour TextColour() const;
  // The font of the current state: the state's own description, else the
  // window's "font", else the nearest ancestor's, else the default font;
  // sizes at the host's scale.
  FontDescription Font() const;

  HostContext& Host() const { return *host_; }

  // Lays out again, at their current rectangles, the windows whose children
  // asked for it (a text or a size mode changed) since the last layout.
  void LayoutIfNeeded();

  // Called once the window's attributes and text are set, before its
  // children are made; false makes the creation fail (the window is dropped).
  virtual bool OnCreate() { return true; }
  // One tick of the host's animation timer: the window moves its own
  // animation one step; true while it has not reached its end.
  virtual bool AdvanceAnimation() { return false; }

  // Draws the window's own content (not its children); false leaves it to
  // the toolkit's drawing of the skin and the text.
  virtual bool OnPaint(IRenderTarget& target) const {
    (void)target;
    return false;
  }

 protected:
  explicit VWindow(HostContext& host);
  // The control's own attribute names, tried before the window's.
  virtual bool OnAttribute(std::string_view name, std::u16string_view value);
  void RequestParentLayout();
  // `text` translated in the host's context, in the language in force now.
  std::u16string Translated(std::u16string_view text) const;
  // Gives each child its rectangle inside this window's (the default layout);
  // controls with their own arrangement override it.
  virtual void LayoutChildren();
  // The children that take part in the layout, in order.
  std::vector<VWindow*> PlacedChildren() const;

 private:
  void layOut();  // LayoutChildren, and the window no longer needs a layout
  friend class VObjectFactoryMgr;  // makes plain windows
  bool windowAttribute(std::string_view name, std::u16string_view value);
  bool styleAttribute(std::string_view name, std::u16string_view value);
  bool layoutAttribute(std::string_view name, std::u16string_view value);
  VWindow* findByName(std::u16string_view name, int depth) const;

  HostContext* host_;
  VWindow* parent_ = nullptr;
  std::vector<std::unique_ptr<VWindow>> children_;
  int id_ = 0;
  std::u16string name_;
  std::u16string skinName_;
  std::u16string layoutClass_ = u"VeneerLayout";
  std::optional<LayoutLength> maxWidth_;  // "maxWidth": wraps a wrap-content text within it
  std::u16string rawText_;
  std::u16string shownText_;
  std::u16string tip_;
  bool visible_ = true;
  bool enabled_ = true;
  bool display_ = true;
  bool float_ = false;
  bool pushed_ = false;
  bool hover_ = false;
  bool layoutDirty_ = true;
  VeneerLayoutParam param_;
  VwndStyle style_;
  WindowRect rect_;
};

// A window's numeric id from "id": an integer or one of the nine "ID..."
// names; nothing for another text beginning with "ID" (the id stays).
std::optional<int> parseWindowId(std::u16string_view value);

}  // namespace veneer

#include "veneer/render/paint.h"

#include "veneer/skin/skin.h"

namespace veneer {
namespace {

bool contains(const WindowRect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

unsigned textFlags(const VWindow& window) {
  const VwndStyle& style = window.Style();
  // A text measured wrapped ("maxWidth") is drawn wrapped.
  unsigned flags = window.TextWrapWidth() > 0 ? kTextWordBreak : kTextSingleLine;
  if (style.align == 1) flags |= kTextCenter;
  if (style.align == 2) flags |= kTextRight;
  if (style.valign == 1) flags |= kTextVCenter;
  if (style.valign == 2) flags |= kTextBottom;
  return flags;
}

}  // namespace

void PaintWindowTree(const VWindow& window, IRenderTarget& target) {
  const WindowRect& rect = window.Rect();
  if (!window.Visible() || !target.Touches(rect)) return;
  target.PushClip(rect);
  const VwndStyle& own = window.Style();
  if (own.colorBkgnd) target.FillRect(rect, *own.colorBkgnd);
  if (window.OnPaint(target)) {
    // The control drew itself.
  } else if (VSkinObjBase* skin = window.Skin()) {
    DrawSkin(target, *skin, window.StateIndex(), rect);
  }
  if (!window.WindowText().empty()) {
    const VwndStyle& style = window.Style();
    const int scale = window.Host().scale;
    const WindowRect inner{rect.left + style.inset[0].toPixels(scale), rect.top + style.inset[1].toPixels(scale),
                           rect.right - style.inset[2].toPixels(scale), rect.bottom - style.inset[3].toPixels(scale)};
    target.DrawText(window.WindowText(), inner, textFlags(window), window.TextColour(), window.Font());
  }
  for (std::size_t i = 0; i < window.ChildCount(); ++i) PaintWindowTree(*window.Child(i), target);
  if (own.colorBorder) {
    const Colour c = *own.colorBorder;
    target.FillRect(WindowRect{rect.left, rect.top, rect.right, rect.top + 1}, c);
    target.FillRect(WindowRect{rect.left, rect.bottom - 1, rect.right, rect.bottom}, c);
    target.FillRect(WindowRect{rect.left, rect.top + 1, rect.left + 1, rect.bottom - 1}, c);
    target.FillRect(WindowRect{rect.right - 1, rect.top + 1, rect.right, rect.bottom - 1}, c);
  }
  target.PopClip();
}

VWindow* WindowAtPoint(VWindow& root, int x, int y) {
  if (!root.Visible() || !contains(root.Rect(), x, y)) return nullptr;
  // Later children are drawn on top: ask them first.
  for (std::size_t i = root.ChildCount(); i-- > 0;) {
    if (VWindow* hit = WindowAtPoint(*root.Child(i), x, y)) return hit;
  }
  return root.Enabled() ? &root : nullptr;
}

const VWindow* CaptionToDrag(const VWindow* hit) {
  if (hit == nullptr || hit->IsClass("button")) return nullptr;
  for (const VWindow* w = hit; w != nullptr; w = w->Parent()) {
    if (w->IsClass("caption")) return w;
  }
  return nullptr;
}

}  // namespace veneer

#include "veneer/layout/veneer_layout.h"

#include <algorithm>
#include <cmath>

namespace veneer {
namespace {

using Coord = std::optional<int>;

struct Slot {
  Coord edge[4];  // left, top, right, bottom
  bool offsetPending[2] = {false, false};  // x, y
};

enum Edge { kLeft = 0, kTop = 1, kRight = 2, kBottom = 3 };

class Layout {
 public:
  Layout(const std::vector<LayoutChild>& children, Coord width, Coord height, int scale)
      : children_(children), extent_{width, height}, scale_(scale), slots_(children.size()) {
    for (std::size_t i = 0; i < children.size(); ++i) {
      slots_[i].offsetPending[0] = children[i].param.offsetX != 0.0f;
      slots_[i].offsetPending[1] = children[i].param.offsetY != 0.0f;
    }
  }

  void run() {
    for (;;) {
      bool cycle = false;
      while (positionPass()) cycle = true;
      if (!cycle) break;
      while (wrapContentPass()) {
      }
      applyOffsets();
    }
  }

  // For measuring: children still open in a wrap-content direction.
  void finishOpenWrapContent() {
    wrapContentPass();
    applyOffsets();
  }

  const std::vector<Slot>& slots() const { return slots_; }

 private:
  int px(const LayoutLength& length) const { return length.toPixels(scale_); }

  // An edge of another slot, usable only once computed with its offset applied.
  Coord edgeOf(std::size_t index, int axis, bool far) const {
    const Slot& slot = slots_[index];
    if (slot.offsetPending[axis]) return std::nullopt;
    return slot.edge[axis + (far ? 2 : 0)];
  }

  Coord valueOf(const PosItem& item, std::size_t index, int axis) const {
    const Coord n = extent_[axis];
    const int l = px(item.length);
    switch (item.kind) {
      case PosKind::kFromEdge:
        if (item.sign > 0) return l;
        if (!n) return std::nullopt;
        return *n - l;
      case PosKind::kCenter:
        if (!n) return std::nullopt;
        return *n / 2 + item.sign * l;
      case PosKind::kPercent: {
        if (!n) return std::nullopt;
        const double p = std::clamp(static_cast<double>(item.length.value), 0.0, 100.0);
        const double share = item.sign > 0 ? p : 100.0 - p;
        return static_cast<int>(*n * share / 100.0);
      }
      case PosKind::kAfterPrev:
      case PosKind::kAlignPrev: {
        if (index == 0) return item.sign * l;
        const Coord edge = edgeOf(index - 1, axis, item.kind == PosKind::kAfterPrev);
        if (!edge) return std::nullopt;
        return *edge + item.sign * l;
      }
      case PosKind::kBeforeNext:
      case PosKind::kAlignNext: {
        if (index + 1 >= slots_.size()) {
          if (!n) return std::nullopt;
          return *n + item.sign * l;
        }
        const Coord edge = edgeOf(index + 1, axis, item.kind == PosKind::kAlignNext);
        if (!edge) return std::nullopt;
        return *edge + item.sign * l;
      }
      case PosKind::kSiblingNear:
      case PosKind::kSiblingFar: {
        const bool far = item.kind == PosKind::kSiblingFar;
        for (std::size_t i = 0; i < children_.size(); ++i) {
          if (i == index || children_[i].id != item.refId) continue;
          const Coord edge = edgeOf(i, axis, far);
          if (!edge) return std::nullopt;
          return *edge + item.sign * l;
        }
        if (!far) return item.sign * l;
        if (!n) return std::nullopt;
        return *n + item.sign * l;
      }
      case PosKind::kSizeItem:
        return std::nullopt;  // never a coordinate
    }
    return std::nullopt;
  }

  // The far edge of one axis from the size mode or the far item.
  Coord farEdge(std::size_t index, int axis) const {
    const VeneerLayoutParam& p = children_[index].param;
    const LayoutLength& size = axis == 0 ? p.width : p.height;
    const Coord near = slots_[index].edge[axis];
    if (size.isMatchParent()) return extent_[axis];
    if (size.isSpecified()) {
      if (!near) return std::nullopt;
      return *near + px(size);
    }
    if (p.count == 4 && !size.isWrapContent()) return valueOf(axis == 0 ? p.right : p.bottom, index, axis);
    return std::nullopt;
  }

  bool positionPass() {
    bool resolved = false;
    for (std::size_t i = 0; i < slots_.size(); ++i) {
      const VeneerLayoutParam& p = children_[i].param;
      Slot& slot = slots_[i];
      for (int axis = 0; axis < 2; ++axis) {
        if (!slot.edge[axis]) {
          PosItem item;
          if (p.count >= 2) {
            item = axis == 0 ? p.left : p.top;
          } else {
            item.kind = axis == 0 ? PosKind::kAfterPrev : PosKind::kAlignPrev;
          }
          if ((slot.edge[axis] = valueOf(item, i, axis))) resolved = true;
        }
        if (!slot.edge[axis + 2]) {
          if ((slot.edge[axis + 2] = farEdge(i, axis))) resolved = true;
        }
      }
    }
    return resolved;
  }

  bool wrapContentPass() {
    bool resolved = false;
    for (std::size_t i = 0; i < slots_.size(); ++i) {
      const VeneerLayoutParam& p = children_[i].param;
      Slot& slot = slots_[i];
      if (!slot.edge[kLeft] || !slot.edge[kTop]) continue;
      const bool openWidth = !slot.edge[kRight] && p.width.isWrapContent();
      const bool openHeight = !slot.edge[kBottom] && p.height.isWrapContent();
      if (!openWidth && !openHeight) continue;
      const int availableWidth = slot.edge[kRight] ? *slot.edge[kRight] - *slot.edge[kLeft] : extent_[0].value_or(0);
      const int availableHeight = slot.edge[kBottom] ? *slot.edge[kBottom] - *slot.edge[kTop] : extent_[1].value_or(0);
      const LayoutSize desired =
          children_[i].desiredSize ? children_[i].desiredSize(availableWidth, availableHeight) : LayoutSize{};
      if (openWidth) slot.edge[kRight] = *slot.edge[kLeft] + desired.width;
      if (openHeight) slot.edge[kBottom] = *slot.edge[kTop] + desired.height;
      resolved = true;
    }
    return resolved;
  }

  void applyOffsets() {
    for (std::size_t i = 0; i < slots_.size(); ++i) {
      Slot& slot = slots_[i];
      const float offsets[2] = {children_[i].param.offsetX, children_[i].param.offsetY};
      for (int axis = 0; axis < 2; ++axis) {
        if (!slot.offsetPending[axis] || !slot.edge[axis] || !slot.edge[axis + 2]) continue;
        // Truncated toward zero, and held within the range of lengths like every other coordinate.
        const double exact = static_cast<double>(offsets[axis]) * (*slot.edge[axis + 2] - *slot.edge[axis]);
        const int shift = static_cast<int>(std::clamp(std::trunc(std::isnan(exact) ? 0.0 : exact),
                                                      -static_cast<double>(LayoutLength::kMaxPixels),
                                                      static_cast<double>(LayoutLength::kMaxPixels)));
        *slot.edge[axis] += shift;
        *slot.edge[axis + 2] += shift;
        slot.offsetPending[axis] = false;
      }
    }
  }

  const std::vector<LayoutChild>& children_;
  Coord extent_[2];
  int scale_;
  std::vector<Slot> slots_;
};

}  // namespace

std::vector<LayoutRect> LayoutChildren(const std::vector<LayoutChild>& children, int originX, int originY, int width,
                                       int height, int scale) {
  Layout layout(children, width, height, scale);
  layout.run();
  std::vector<LayoutRect> rects;
  rects.reserve(children.size());
  auto shifted = [](Coord c, int by) { return c ? Coord(*c + by) : std::nullopt; };
  for (const Slot& slot : layout.slots()) {
    rects.push_back(LayoutRect{shifted(slot.edge[kLeft], originX), shifted(slot.edge[kTop], originY),
                               shifted(slot.edge[kRight], originX), shifted(slot.edge[kBottom], originY)});
  }
  return rects;
}

LayoutSize MeasureChildren(const std::vector<LayoutChild>& children, int scale) {
  Layout layout(children, std::nullopt, std::nullopt, scale);
  layout.run();
  layout.finishOpenWrapContent();
  LayoutSize size;
  for (std::size_t i = 0; i < children.size(); ++i) {
    const Slot& slot = layout.slots()[i];
    const VeneerLayoutParam& p = children[i].param;
    auto extra = [&](const PosItem& far) {
      return p.count == 4 && far.kind == PosKind::kSizeItem && far.sign < 0 ? far.length.toPixels(scale) : 0;
    };
    if (slot.edge[kRight]) size.width = std::max(size.width, *slot.edge[kRight] + extra(p.right));
    if (slot.edge[kBottom]) size.height = std::max(size.height, *slot.edge[kBottom] + extra(p.bottom));
  }
  return size;
}

}  // namespace veneer

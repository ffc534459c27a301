// The default layout: the rectangles of a parent's children from their
// layout parameters, their neighbours and the parent's extent. A pure
// function of its inputs; children measure their content through a callback.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "veneer/layout/layout_param.h"

namespace veneer {

struct LayoutSize {
  int width = 0;
  int height = 0;
};

struct LayoutChild {
  int id = 0;  // for "sib." references
  VeneerLayoutParam param;
  // The child's desired size given the space available (its content, e.g. its text).
  std::function<LayoutSize(int availableWidth, int availableHeight)> desiredSize;
};

// A computed rectangle; an edge that could not be resolved stays empty.
struct LayoutRect {
  std::optional<int> left, top, right, bottom;
  bool operator==(const LayoutRect&) const = default;
};

// Rectangles of `children` inside a parent whose layout rectangle starts at
// (originX, originY) and is `width` × `height` pixels, at `scale`.
std::vector<LayoutRect> LayoutChildren(const std::vector<LayoutChild>& children, int originX, int originY, int width,
                                       int height, int scale);

// The desired size of a wrap-content parent: its children laid out with the
// parent's extents undetermined.
LayoutSize MeasureChildren(const std::vector<LayoutChild>& children, int scale);

}  // namespace veneer

// The layout parameters of a window: its "pos" items, size and offset.
#pragma once

#include <optional>
#include <string_view>

#include "veneer/layout/layout_length.h"

namespace veneer {

enum class PosKind {
  kFromEdge, kCenter, kPercent, kAfterPrev, kAlignPrev, kBeforeNext, kAlignNext, kSizeItem, kSiblingNear, kSiblingFar,
};

struct PosItem {
  PosKind kind = PosKind::kFromEdge;
  int refId = -1;     // the sibling of kSiblingNear and kSiblingFar
  int sign = 1;       // -1 when written with a leading '-'
  LayoutLength length{0.0f, LengthUnit::kPx};  // the magnitude, never negative
};

// One trimmed item of "pos"; nothing when it does not parse.
std::optional<PosItem> parsePosItem(std::u16string_view item);

enum class SetResult { kOk, kInvalidArgument };

struct VeneerLayoutParam {
  int count = 0;  // items in force: 0, 2 or 4
  PosItem left, top, right, bottom;
  float offsetX = 0.0f;
  float offsetY = 0.0f;
  LayoutLength width;   // wrap content by default
  LayoutLength height;

  SetResult SetPos(std::u16string_view value);
  SetResult SetSize(std::u16string_view value);  // "width,height"
  SetResult SetOffset(std::u16string_view value);
  void SetWidth(std::u16string_view value) { width = parseSizeLength(value); }
  void SetHeight(std::u16string_view value) { height = parseSizeLength(value); }
};

}  // namespace veneer

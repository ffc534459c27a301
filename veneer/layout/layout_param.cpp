#include "veneer/layout/layout_param.h"

#include <cstdio>
#include <string>
#include <vector>

#include "common/utf.h"
#include "veneer/core/values.h"

namespace veneer {
namespace {

// The length of an item, its sign taken into the item.
void takeLength(std::u16string_view text, PosItem& item) {
  if (!text.empty() && text.front() == u'-') {
    item.sign = -1;
    text.remove_prefix(1);
  }
  item.length = parseLayoutLength(text);
  if (item.length.value < 0) item.length.value = -item.length.value;
}

// The mode a direction takes from its two items once four are in force.
LayoutLength sizeFromItems(const PosItem& near, const PosItem& far) {
  const bool zeroNear = near.kind == PosKind::kFromEdge && near.length.value == 0 && near.sign == 1;
  const bool zeroFar = far.kind == PosKind::kFromEdge && far.length.value == 0 && far.sign == -1;
  if (zeroNear && zeroFar) return LayoutLength{LayoutLength::kMatchParent, LengthUnit::kPx};
  if (far.kind != PosKind::kSizeItem) return LayoutLength{LayoutLength::kUnspecified, LengthUnit::kPx};
  if (far.sign == -1) return LayoutLength{LayoutLength::kWrapContent, LengthUnit::kPx};
  return far.length;
}

}  // namespace

std::optional<PosItem> parsePosItem(std::u16string_view item) {
  if (item.empty()) return std::nullopt;
  PosItem pos;
  if (item.substr(0, 4) == u"sib.") {
    std::u16string_view rest = item.substr(4);
    static constexpr std::pair<std::u16string_view, PosKind> kEdges[] = {
        {u"left@", PosKind::kSiblingNear}, {u"top@", PosKind::kSiblingNear},
        {u"right@", PosKind::kSiblingFar}, {u"bottom@", PosKind::kSiblingFar}};
    bool matched = false;
    for (const auto& [prefix, kind] : kEdges) {
      if (rest.substr(0, prefix.size()) == prefix) {
        pos.kind = kind;
        rest.remove_prefix(prefix.size());
        matched = true;
        break;
      }
    }
    if (!matched) return std::nullopt;
    const auto parts = splitAt(rest, u':');
    if (parts.size() != 2 || parts[0].empty()) return std::nullopt;
    long id = 0;
    for (char16_t c : parts[0]) {
      if (c < u'0' || c > u'9' || id > 100000000) return std::nullopt;
      id = id * 10 + (c - u'0');
    }
    if (id == 0) return std::nullopt;
    pos.refId = static_cast<int>(id);
    const LayoutLength length = parseLayoutLength(parts[1]);
    pos.sign = length.value < 0 ? -1 : 1;
    pos.length = length;
    if (pos.length.value < 0) pos.length.value = -pos.length.value;
    return pos;
  }
  switch (item.front()) {
    case u'|': pos.kind = PosKind::kCenter; break;
    case u'%': pos.kind = PosKind::kPercent; break;
    case u'[': pos.kind = PosKind::kAfterPrev; break;
    case u'{': pos.kind = PosKind::kAlignPrev; break;
    case u']': pos.kind = PosKind::kBeforeNext; break;
    case u'}': pos.kind = PosKind::kAlignNext; break;
    case u'@': pos.kind = PosKind::kSizeItem; break;
    default: pos.kind = PosKind::kFromEdge; break;
  }
  if (pos.kind != PosKind::kFromEdge) item.remove_prefix(1);
  takeLength(item, pos);
  return pos;
}

SetResult VeneerLayoutParam::SetPos(std::u16string_view value) {
  std::vector<std::u16string_view> items = splitAt(value, u',');
  if (items.size() != 2 && items.size() != 4) return SetResult::kInvalidArgument;
  for (auto& item : items) item = trimBlanks(item);
  const auto first = parsePosItem(items[0]);
  const auto second = parsePosItem(items[1]);
  if (first && second && first->kind != PosKind::kSizeItem && second->kind != PosKind::kSizeItem) {
    left = *first;
    top = *second;
    count = 2;
    if (items.size() == 4) {
      const auto third = parsePosItem(items[2]);
      const auto fourth = parsePosItem(items[3]);
      if (third && fourth) {
        right = *third;
        bottom = *fourth;
        count = 4;
        width = sizeFromItems(left, right);
        height = sizeFromItems(top, bottom);
        return SetResult::kOk;
      }
    }
  }
  if (width.isUnspecified()) width = LayoutLength{};
  if (height.isUnspecified()) height = LayoutLength{};
  return SetResult::kOk;
}

SetResult VeneerLayoutParam::SetSize(std::u16string_view value) {
  const auto parts = splitAt(value, u',');
  if (parts.size() != 2) return SetResult::kInvalidArgument;
  width = parseSizeLength(trimBlanks(parts[0]));
  height = parseSizeLength(trimBlanks(parts[1]));
  return SetResult::kOk;
}

SetResult VeneerLayoutParam::SetOffset(std::u16string_view value) {
  float x = 0;
  float y = 0;
  const std::string narrow = common::utf16ToUtf8(value);
  if (std::sscanf(narrow.c_str(), "%f,%f", &x, &y) != 2) return SetResult::kInvalidArgument;
  offsetX = x;
  offsetY = y;
  return SetResult::kOk;
}

}  // namespace veneer

// Lengths, "pos" parsing and the default layout, with the documented examples.
#include <gtest/gtest.h>

#include <limits>

#include "veneer/layout/veneer_layout.h"

namespace veneer {
namespace {

LayoutChild child(std::u16string_view pos, int id = 0, LayoutSize text = {50, 16}) {
  LayoutChild c;
  c.id = id;
  if (!pos.empty()) {
    EXPECT_EQ(c.param.SetPos(pos), SetResult::kOk);
  }
  c.desiredSize = [text](int, int) { return text; };
  return c;
}

LayoutRect rect(int l, int t, int r, int b) { return LayoutRect{l, t, r, b}; }

TEST(LayoutLengths, ParsingAndPixels) {
  EXPECT_EQ(parseLayoutLength(u"10dip"), (LayoutLength{10, LengthUnit::kDip}));
  EXPECT_EQ(parseLayoutLength(u"10PX"), (LayoutLength{10, LengthUnit::kPx}));
  EXPECT_EQ(parseLayoutLength(u"10"), (LayoutLength{10, LengthUnit::kPx}));
  EXPECT_EQ(parseLayoutLength(u"10em"), (LayoutLength{10, LengthUnit::kPx}));
  EXPECT_EQ(parseLayoutLength(u"abc"), (LayoutLength{0, LengthUnit::kPx}));
  EXPECT_EQ(parseLayoutLength(u"14dp").toPixels(150), 21);
  EXPECT_EQ(parseLayoutLength(u"302dp").toPixels(125), 378);
  EXPECT_EQ(parseLayoutLength(u"10dip").toPixels(125), 13);
  EXPECT_EQ(parseLayoutLength(u"10.9px").toPixels(200), 10);
  EXPECT_EQ(parseSizeLength(u"full").toPixels(150), -2);
  EXPECT_EQ(parseSizeLength(u"wrapContent").toPixels(150), -1);
}

// Found by fuzzing: lengths too large for an int are held within the range
// instead of being converted with undefined results; so are huge offsets.
TEST(LayoutLengths, HugeValuesStayInRange) {
  EXPECT_EQ(parseLayoutLength(u"2e20").toPixels(100), LayoutLength::kMaxPixels);
  EXPECT_EQ(parseLayoutLength(u"3111111111dp").toPixels(150), LayoutLength::kMaxPixels);
  EXPECT_EQ(parseLayoutLength(u"-1e30px").toPixels(100), -LayoutLength::kMaxPixels);
  EXPECT_EQ(parseLayoutLength(u"nan").toPixels(100), 0);  // the parser reads no such number
  EXPECT_EQ((LayoutLength{std::numeric_limits<float>::quiet_NaN(), LengthUnit::kDp}.toPixels(100)),
            -LayoutLength::kMaxPixels);
  LayoutChild far = child(u"0,0,@1e30,@10");
  ASSERT_EQ(far.param.SetOffset(u"1e38,0"), SetResult::kOk);
  const LayoutRect r = LayoutChildren({far}, 0, 0, 100, 100, 100)[0];
  EXPECT_EQ(r.right.value() - r.left.value(), LayoutLength::kMaxPixels);
  EXPECT_LE(r.left.value(), LayoutLength::kMaxPixels);
}

// Items: kinds by first character, signs, sibling references (id 0 fails).
TEST(LayoutPos, Items) {
  EXPECT_FALSE(parsePosItem(u""));
  EXPECT_FALSE(parsePosItem(u"sib.left@0:5"));
  EXPECT_FALSE(parsePosItem(u"sib.middle@3:5"));
  EXPECT_FALSE(parsePosItem(u"sib.left@3"));
  const auto sibling = parsePosItem(u"sib.top@3:-5");
  ASSERT_TRUE(sibling);
  EXPECT_EQ(sibling->kind, PosKind::kSiblingNear);
  EXPECT_EQ(sibling->refId, 3);
  EXPECT_EQ(sibling->sign, -1);
  EXPECT_EQ(sibling->length.value, 5.0f);
  const auto center = parsePosItem(u"|-56dp");
  EXPECT_EQ(center->kind, PosKind::kCenter);
  EXPECT_EQ(center->sign, -1);
  EXPECT_EQ(parsePosItem(u"]4")->kind, PosKind::kBeforeNext);
  EXPECT_EQ(parsePosItem(u"-21dp")->kind, PosKind::kFromEdge);
}

// One or three items are rejected and change nothing; 0,0,-0,-0 matches the parent.
TEST(LayoutPos, CountsAndModes) {
  VeneerLayoutParam p;
  EXPECT_EQ(p.SetPos(u"1,2,3"), SetResult::kInvalidArgument);
  EXPECT_EQ(p.SetPos(u"1"), SetResult::kInvalidArgument);
  EXPECT_EQ(p.count, 0);
  EXPECT_EQ(p.SetPos(u"0,0,-0,-0"), SetResult::kOk);
  EXPECT_TRUE(p.width.isMatchParent());
  EXPECT_TRUE(p.height.isMatchParent());
  EXPECT_EQ(p.SetPos(u"1dp, 2dp ,@-4,@14dp"), SetResult::kOk);
  EXPECT_TRUE(p.width.isWrapContent());
  EXPECT_EQ(p.height, (LayoutLength{14, LengthUnit::kDp}));
  EXPECT_EQ(p.SetSize(u"10"), SetResult::kInvalidArgument);
  EXPECT_EQ(p.SetOffset(u"0.5"), SetResult::kInvalidArgument);
  EXPECT_EQ(p.SetOffset(u"-0.5,0.25"), SetResult::kOk);
}

// "10dp,[40dp" below a 20-pixel-high sibling: x 10, y 60, the text's size.
TEST(LayoutCompute, AfterThePreviousSibling) {
  const auto rects = LayoutChildren({child(u"0,0,@100,@20"), child(u"10dp,[40dp")}, 0, 0, 300, 200, 100);
  EXPECT_EQ(rects[1], rect(10, 60, 60, 76));
}

// "31dp,[25dp,@240dp,@14dp" at 125: x 39, y previous bottom + 31, 300 × 18.
TEST(LayoutCompute, ScaledSizes) {
  const auto rects = LayoutChildren({child(u"0,0,@100,@10"), child(u"31dp,[25dp,@240dp,@14dp")}, 0, 0, 500, 300, 125);
  EXPECT_EQ(rects[1], rect(39, 10 + 31, 39 + 300, 41 + 18));
}

// "-21dp,0,@20dp,@20dp" in a 294-pixel parent; centre items; edges from the parent's far side.
TEST(LayoutCompute, FarEdgesAndCentres) {
  EXPECT_EQ(LayoutChildren({child(u"-21dp,0,@20dp,@20dp")}, 0, 0, 294, 100, 100)[0], rect(273, 0, 293, 20));
  EXPECT_EQ(LayoutChildren({child(u"|-56dp,|0dp,@111dp,@31dp")}, 0, 0, 400, 300, 100)[0],
            rect(144, 150, 255, 181));
  EXPECT_EQ(LayoutChildren({child(u"1dp,2dp,-1dp,-1dp")}, 0, 0, 302, 202, 100)[0], rect(1, 2, 301, 201));
  EXPECT_EQ(LayoutChildren({child(u"10dp,0,-40dp,-0")}, 0, 0, 302, 202, 100)[0], rect(10, 0, 262, 202));
  EXPECT_EQ(LayoutChildren({child(u"0,0,-0,-0")}, 5, 7, 302, 202, 100)[0], rect(5, 7, 307, 209));
  EXPECT_EQ(LayoutChildren({child(u"%25,%-25,@10,@10")}, 0, 0, 200, 100, 100)[0], rect(50, 75, 60, 85));
}

// Sibling references by id, and the default row without "pos".
TEST(LayoutCompute, SiblingsAndDefaults) {
  const auto rects = LayoutChildren(
      {child(u"20,30,@50,@40", 3), child(u"sib.left@3:0,sib.top@3:-5,@10,@10", 4), child(u"", 5, {7, 8})}, 0, 0, 300,
      200, 100);
  EXPECT_EQ(rects[1], rect(20, 25, 30, 35));
  EXPECT_EQ(rects[2], rect(30, 25, 37, 33));  // right after the previous, top-aligned with it
}

// Offsets move by fractions of the window's own size; a wrap-content parent measures its children.
TEST(LayoutCompute, OffsetsAndMeasuring) {
  LayoutChild centred = child(u"|0,|0,@100,@40");
  ASSERT_EQ(centred.param.SetOffset(u"-0.5,-0.5"), SetResult::kOk);
  EXPECT_EQ(LayoutChildren({centred}, 0, 0, 300, 200, 100)[0], rect(100, 80, 200, 120));
  const LayoutSize size = MeasureChildren({child(u"10,10,@30,@20"), child(u"[5,{0", 0, {40, 12})}, 100);
  EXPECT_EQ(size.width, 85);
  EXPECT_EQ(size.height, 30);
}

}  // namespace
}  // namespace veneer

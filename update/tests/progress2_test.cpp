// The updater's progress bar: fill, insets at a scale, percentage text,
// clamping, empty ranges and the header position, checked through a render
// target that records what is drawn where.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "update/progress2.h"
#include "update/tests/updater_ui.h"
#include "veneer/render/render_target.h"
#include "veneer/skin/skin.h"
#include "veneer/wnd/controls.h"

namespace veneer {
namespace {

struct Drawn {
  std::vector<std::pair<const IBitmap*, WindowRect>> bitmaps;  // image and destination, in order
  std::vector<std::pair<WindowRect, int>> sources;              // the part of the image and the alpha
  std::vector<std::u16string> texts;
  std::vector<unsigned> textFlags;
  std::vector<veneer::FontDescription> fonts;
};

class RecordingTarget final : public IRenderTarget {
 public:
  explicit RecordingTarget(Drawn& drawn) : drawn_(drawn) {}
  void FillRect(const WindowRect&, Colour) override {}
  void DrawBitmap(const IBitmap& bitmap, const WindowRect& source, const WindowRect& destination, int alpha,
                  bool) override {
    drawn_.bitmaps.emplace_back(&bitmap, destination);
    drawn_.sources.emplace_back(source, alpha);
  }
  void DrawText(std::u16string_view text, const WindowRect&, unsigned flags, Colour,
                const veneer::FontDescription& font) override {
    drawn_.texts.emplace_back(text);
    drawn_.fonts.push_back(font);
    drawn_.textFlags.push_back(flags);
  }
  void PushClip(const WindowRect&) override {}
  void PopClip() override {}

 private:
  Drawn& drawn_;
};

// The updater's own skin-and-style definition and images, through the folder provider.
class Progress2Test : public ::testing::Test {
 protected:
  // A bar as the layout makes it: the style class "cls_prog", then the placement.
  std::unique_ptr<VProgress2> bar(const WindowRect& rect, int scale = 100) {
    host.scale = scale;
    auto made = std::make_unique<VProgress2>(host);
    for (const auto& [name, value] : std::initializer_list<std::pair<const char*, const char16_t*>>{
             {"value", u"0"}, {"min", u"0"}, {"max", u"300"}, {"inset", u"3,3,3,3"}, {"showPercent", u"1"},
             {"bkgndSkin", u"prog_bkgnd"}, {"posSkin", u"prog_var"}}) {
      EXPECT_TRUE(made->SetAttribute(name, value)) << name;
    }
    EXPECT_TRUE(made->OnCreate());
    made->Move(rect);
    return made;
  }

  static Drawn paint(const VProgress2& progress) {
    Drawn drawn;
    RecordingTarget target(drawn);
    EXPECT_TRUE(progress.OnPaint(target));
    return drawn;
  }

  // The bounds of what the position skin drew; nothing when it drew nothing.
  static std::optional<WindowRect> fill(const Drawn& drawn, const VProgress2& progress) {
    const IBitmap* image = static_cast<const VSkinImgList*>(progress.PositionSkin())->Image();
    std::optional<WindowRect> bounds;
    for (const auto& [bitmap, r] : drawn.bitmaps) {
      if (bitmap != image) continue;
      if (!bounds) bounds = r;
      bounds->left = std::min(bounds->left, r.left);
      bounds->top = std::min(bounds->top, r.top);
      bounds->right = std::max(bounds->right, r.right);
      bounds->bottom = std::max(bounds->bottom, r.bottom);
    }
    return bounds;
  }

  update::testing::UpdaterUi ui;
  HostContext& host = ui.host;
};

// The class names and the style class of the shipped definitions.
TEST_F(Progress2Test, ClassesAndStyleDefaults) {
  auto p = bar({32, 121, 272, 135});
  EXPECT_STREQ(p->ClassName(), "progress2");
  EXPECT_STREQ(VProgress2::BaseClassName(), "progress");
  EXPECT_TRUE(p->IsClass("progress2") && p->IsClass("progress") && p->IsClass("window"));
  EXPECT_FALSE(p->IsClass("text"));
  EXPECT_EQ(p->Max(), 300);
  EXPECT_TRUE(p->ShowPercent());
  ASSERT_NE(p->BackgroundSkin(), nullptr);
  EXPECT_EQ(p->BackgroundSkin()->Name(), u"prog_bkgnd");
  EXPECT_EQ(p->PositionSkin()->Name(), u"prog_var");
  // Natural size: the track image (240 × 25) with no padding.
  EXPECT_EQ(p->DesiredSize(0, 0).width, 240);
  EXPECT_EQ(p->DesiredSize(0, 0).height, 25);
}

// The close button's image holds its three states one above the other: each
// state is a square of the button's size, not a third of its width.
TEST_F(Progress2Test, CloseButtonStatesAreStackedSquares) {
  // The images: 20 × 60 at scales 100, 125 and 150, 40 × 120 at 200.
  for (const auto& [scale, side] : {std::pair{100, 20}, {125, 20}, {150, 20}, {200, 40}}) {
    auto* skin = dynamic_cast<veneer::VSkinImgList*>(host.ui->Skins().GetSkin(u"image_btn_close", scale));
    ASSERT_NE(skin, nullptr) << scale;
    EXPECT_EQ(skin->StateWidth(), side) << scale;
    EXPECT_EQ(skin->StateHeight(), side) << scale;
  }
}

// "animate" on the caption's close button: entering fades from the normal to
// the hover picture in kFadeSteps ticks, both drawn with rising alpha, and
// ends on the hover picture itself; leaving fades back to the normal one.
TEST_F(Progress2Test, CloseButtonFadesAndEndsOnTheState) {
  std::function<VButton*(VWindow&)> findAnimated = [&](VWindow& w) -> VButton* {
    if (auto* button = dynamic_cast<VButton*>(&w); button != nullptr && button->Animate()) return button;
    for (std::size_t i = 0; i < w.ChildCount(); ++i) {
      if (VButton* found = findAnimated(*w.Child(i))) return found;
    }
    return nullptr;
  };
  VButton* close = findAnimated(ui.root());
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->Tip(), u"{caption.tip}");  // kept for the tooltip (no translations installed here)
  const WindowRect normal{0, 0, 20, 20}, hover{0, 20, 20, 40};
  close->SetHover(true);
  std::vector<int> alphas;
  do {
    Drawn drawn;
    RecordingTarget target(drawn);
    ASSERT_TRUE(close->OnPaint(target));  // fading: both pictures
    ASSERT_EQ(drawn.sources.size(), 2u);
    EXPECT_EQ(drawn.sources[0], (std::pair{normal, 255}));
    EXPECT_EQ(drawn.sources[1].first, hover);
    alphas.push_back(drawn.sources[1].second);
  } while (close->AdvanceAnimation());
  EXPECT_EQ(alphas, (std::vector<int>{0, 31, 63, 95, 127, 159, 191, 223}));
  EXPECT_EQ(close->FadeStep(), VButton::kFadeSteps);
  Drawn end;
  RecordingTarget endTarget(end);
  EXPECT_FALSE(close->OnPaint(endTarget));  // the state's own picture, drawn by the toolkit
  close->SetHover(false);
  int ticks = 1;
  while (close->AdvanceAnimation()) ++ticks;
  EXPECT_EQ(ticks, VButton::kFadeSteps);
  EXPECT_EQ(close->FadeStep(), 0);
}

// Truncated percentages, no overflow with large ranges, and the fill before insets.
TEST_F(Progress2Test, PercentageAndFill) {
  auto p = bar({0, 0, 240, 14});
  p->SetRange(0, 3);
  p->SetValue(1);
  EXPECT_EQ(paint(*p).texts, std::vector<std::u16string>{u"33%"});
  p->SetValue(2);
  p->SetAttribute("font", u"size:10dp,bold:1");
  Drawn drawn = paint(*p);
  EXPECT_EQ(drawn.texts, std::vector<std::u16string>{u"66%"});
  EXPECT_EQ(drawn.textFlags, std::vector<unsigned>{0x25u});
  ASSERT_EQ(drawn.fonts.size(), 1u);  // in the style's font
  EXPECT_EQ(drawn.fonts[0].height, 10);
  EXPECT_TRUE(drawn.fonts[0].bold);
  EXPECT_EQ(fill(drawn, *p), (WindowRect{3, 3, 160 - 3, 14 - 3}));  // 240 × 2 / 3 = 160

  p->SetRange(0, 40000000);
  p->SetValue(30000000);
  drawn = paint(*p);
  EXPECT_EQ(drawn.texts, std::vector<std::u16string>{u"75%"});
  EXPECT_EQ(fill(drawn, *p), (WindowRect{3, 3, 180 - 3, 11}));
}

// At the minimum only the background is drawn and the text reads 0%.
TEST_F(Progress2Test, ValueAtMinimumDrawsOnlyTheBackground) {
  auto p = bar({0, 0, 240, 14});
  p->SetRange(10, 20);
  p->SetValue(10);
  const Drawn drawn = paint(*p);
  EXPECT_EQ(fill(drawn, *p), std::nullopt);
  EXPECT_FALSE(drawn.bitmaps.empty());  // the track
  EXPECT_EQ(drawn.texts, std::vector<std::u16string>{u"0%"});
}

// A range with max equal to or below min draws an empty bar at 0% instead of dividing by zero.
TEST_F(Progress2Test, EmptyOrInvertedRangeDrawsAnEmptyBar) {
  auto p = bar({0, 0, 240, 14});
  p->SetAttribute("min", u"5");
  p->SetAttribute("max", u"5");
  p->SetAttribute("value", u"9");  // attributes are not clamped
  Drawn drawn = paint(*p);
  EXPECT_EQ(fill(drawn, *p), std::nullopt);
  EXPECT_EQ(drawn.texts, std::vector<std::u16string>{u"0%"});
  p->SetAttribute("max", u"2");
  drawn = paint(*p);
  EXPECT_EQ(fill(drawn, *p), std::nullopt);
  EXPECT_EQ(drawn.texts, std::vector<std::u16string>{u"0%"});
  EXPECT_EQ(p->HeaderPosition(10, 10, 0, 0).x, 0 - 10 + 0 - 0 + 0 - 3);  // the end of an empty fill, right inset off
}

TEST_F(Progress2Test, SetValueAndSetRangeClamp) {
  auto p = bar({0, 0, 240, 14});
  p->SetRange(0, 100);
  p->SetValue(150);
  EXPECT_EQ(p->Value(), 100);
  p->SetValue(-4);
  EXPECT_EQ(p->Value(), 0);
  p->SetAttribute("value", u"50");
  p->SetRange(0, 10);
  EXPECT_EQ(p->Value(), 10);
  p->SetRange(20, 30);
  EXPECT_EQ(p->Value(), 20);
  // Integer attributes: hexadecimal, and 0 for a text that is not a number.
  p->SetAttribute("max", u"0x40");
  EXPECT_EQ(p->Max(), 64);
  p->SetAttribute("min", u"abc");
  EXPECT_EQ(p->Min(), 0);
}

// "3,3" sets left and top only; later numbers that are missing keep their values.
TEST_F(Progress2Test, InsetAttributeWithMissingNumbers) {
  auto p = bar({0, 0, 240, 14});
  p->SetAttribute("inset", u"1,2,7,8");
  p->SetAttribute("inset", u"3,3");
  EXPECT_EQ(std::vector<int>(p->Insets(), p->Insets() + 4), (std::vector<int>{3, 3, 7, 8}));
  p->SetAttribute("inset", u"x,9");
  EXPECT_EQ(std::vector<int>(p->Insets(), p->Insets() + 4), (std::vector<int>{3, 3, 7, 8}));
  p->SetAttribute("inset", u"-2, 5,x");
  EXPECT_EQ(std::vector<int>(p->Insets(), p->Insets() + 4), (std::vector<int>{-2, 5, 7, 8}));
}

// At scale 150 an inset of 3 units takes 4 pixels (450 / 100 truncated) from each side.
TEST_F(Progress2Test, InsetsScaleWithTheWindow) {
  auto p = bar({0, 0, 360, 21}, 150);
  p->SetRange(0, 10);
  p->SetValue(10);
  EXPECT_EQ(fill(paint(*p), *p), (WindowRect{4, 4, 356, 17}));
}

// A vertical bar fills from the top; no text even with showPercent.
TEST_F(Progress2Test, VerticalHalfFillsTheUpperHalfWithoutText) {
  auto p = bar({0, 0, 20, 100});
  p->SetAttribute("vertical", u"1");
  p->SetAttribute("inset", u"0,0,0,0");
  p->SetRange(0, 10);
  p->SetValue(5);
  const Drawn drawn = paint(*p);
  EXPECT_EQ(fill(drawn, *p), (WindowRect{0, 0, 20, 50}));
  EXPECT_TRUE(drawn.texts.empty());
}

// The header rides on the end of the fill: right edge 6 units past it, centred between the insets, 2 units up.
TEST_F(Progress2Test, HeaderPosition) {
  auto p = bar({32, 121, 272, 135});
  p->SetRange(0, 100);
  p->SetValue(50);
  // x = 32 + 120 − 3; X = x − 10 + 6; Y = (124 + 132 − 10) / 2 − 2
  EXPECT_EQ(p->HeaderPosition(10, 10, 6, -2), (PixelPoint{145, 121}));
  p->SetValue(0);  // at the minimum the insets do not apply
  EXPECT_EQ(p->HeaderPosition(10, 10, 6, -2), (PixelPoint{28, 121}));
  auto wide = bar({0, 0, 360, 21}, 150);
  wide->SetRange(0, 2);
  wide->SetValue(1);
  // x = 180 − 4; offsets scaled: 6 → 9, −2 → −3; Y = (4 + 17 − 8) / 2 − 3
  EXPECT_EQ(wide->HeaderPosition(8, 8, 6, -2), (PixelPoint{177, 3}));
}

// Without skins named and without the toolkit's built-in ones, creation fails.
TEST_F(Progress2Test, CreateFailsWithoutSkins) {
  VProgress2 bare(host);
  EXPECT_FALSE(bare.OnCreate());
}

}  // namespace
}  // namespace veneer

// The updater's progress bar: a background skin, a position skin over the
// filled part shrunk by insets, an optional percentage, and the point where a
// small header image rides on the end of the fill.
#pragma once

#include <string_view>

#include "veneer/wnd/controls.h"

namespace veneer {

struct PixelPoint {
  int x = 0;
  int y = 0;
  bool operator==(const PixelPoint&) const = default;
};

class VProgress2 : public VProgress {
 public:
  explicit VProgress2(HostContext& host) : VProgress(host) {}
  static constexpr const char* kClassName = "progress2";
  const char* ClassName() const override { return kClassName; }
  static constexpr const char* BaseClassName() { return "progress"; }
  bool IsClass(std::string_view className) const override {
    return className == "progress2" || VProgress::IsClass(className);
  }

  // Where an image of `cx` × `cy` pixels has its top-left corner so that it
  // sits on the end of the fill; the offset is in device-independent units.
  PixelPoint HeaderPosition(int cx, int cy, int offsetX, int offsetY) const;

  // Left, top, right, bottom, in device-independent units.
  const int* Insets() const { return inset_; }

  // How far along `length` pixels the value reaches (64-bit product, quotient
  // truncated towards zero); 0 for an empty or inverted range.
  int FillExtent(int length) const;
  // The percentage the text shows, truncated; 0 for an empty or inverted range.
  int Percent() const;

  // Default skins when the layout named none; fails when there are none.
  bool OnCreate() override;
  bool OnPaint(IRenderTarget& target) const override;
  LayoutSize DesiredSize(int availableWidth, int availableHeight) const override;

 protected:
  bool OnAttribute(std::string_view name, std::u16string_view value) override;

 private:
  int scaled(int units) const;
  bool rangeDrawable() const { return Max() > Min(); }

  int inset_[4] = {0, 0, 0, 0};
};

// Reads up to four integers "%d,%d,%d,%d" into `values`, stopping at the first
// that does not match; returns how many were read (the rest stay as they were).
int readCommaIntegers(std::u16string_view text, int (&values)[4]);

// The toolkit's built-in skins that a bar takes when its layout names none.
inline constexpr std::u16string_view kBuiltinProgressBackground = u"_veneer.progress.bkgnd";
inline constexpr std::u16string_view kBuiltinProgressPosition = u"_veneer.progress.pos";
inline constexpr std::u16string_view kBuiltinProgressBackgroundVertical = u"_veneer.progress.vbkgnd";
inline constexpr std::u16string_view kBuiltinProgressPositionVertical = u"_veneer.progress.vpos";

}  // namespace veneer

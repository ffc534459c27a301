// GDI fonts made from the toolkit's font descriptions, and the measuring of
// texts in them. A host keeps one cache for as long as it lives: each
// description (its height already at the host's scale) is made into a font
// once, and the whole cache is dropped when the scale changes, so a paint
// never creates or deletes a font.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <string_view>
#include <tuple>

#include "common/unique_handle_win.h"
#include "veneer/layout/veneer_layout.h"
#include "veneer/skin/font_description.h"

namespace veneer {

// The face GDI is asked for: the description's own when a font of that name
// is installed, else `defaultFace` when that one is, else "宋体".
std::wstring InstalledFace(const std::u16string& face, const std::u16string& defaultFace);

// The font parameters of a description: height as a character height (a
// negative LOGFONT height), weight 700 when bold, the charset as written.
LOGFONTW LogFontFor(const FontDescription& font, const std::wstring& face);

class GdiFontCache {
 public:
  explicit GdiFontCache(std::u16string defaultFace = DefaultFont{}.face) : defaultFace_(std::move(defaultFace)) {}
  ~GdiFontCache();
  GdiFontCache(const GdiFontCache&) = delete;
  GdiFontCache& operator=(const GdiFontCache&) = delete;

  // The font for `font`, made on first use; null when GDI cannot make it.
  HFONT Get(const FontDescription& font);
  // `text` as GDI draws it in `font`: one line, or with its words wrapped
  // within `wrapWidth` pixels when that is above 0. One memory DC serves
  // every measurement and keeps the last font selected: the bar's paint
  // measures its texts, and a DC made for each measurement cost wineserver
  // round trips and, under Wine, a look-up of the X resources files for each
  // font selected into it.
  LayoutSize Measure(std::u16string_view text, const FontDescription& font, int wrapWidth = 0);
  // Drops every font (a new scale); other DCs have deselected them.
  void Clear();
  std::size_t Size() const { return fonts_.size(); }

 private:
  void deselectMeasuringFont();

  using Key = std::tuple<std::u16string, int, bool, bool, bool, bool, int>;
  std::u16string defaultFace_;
  std::map<Key, common::UniqueGdiObject> fonts_;
  std::map<std::u16string, std::wstring> faces_;  // named face → installed face
  common::UniqueMemoryDc measuring_;    // made at the first measurement
  HGDIOBJ measuringDefault_ = nullptr;  // its own font, selected back before ours go
  HFONT measuringFont_ = nullptr;       // ours that it holds, if any
};

}  // namespace veneer

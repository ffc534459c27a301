#include "veneer/render/gdi_font_cache_win.h"

#include <cwchar>

#include "common/wide_win.h"

namespace veneer {
namespace {

int CALLBACK noteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

bool installed(const std::wstring& face) {
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(wanted.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  common::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  bool found = false;
  if (dc) EnumFontFamiliesExW(dc.get(), &wanted, noteFound, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

}  // namespace

std::wstring InstalledFace(const std::u16string& face, const std::u16string& defaultFace) {
  for (const std::u16string* candidate : {&face, &defaultFace}) {
    std::wstring wide = common::toWide(*candidate);
    if (installed(wide)) return wide;
  }
  return common::toWide(DefaultFont{}.face);
}

LOGFONTW LogFontFor(const FontDescription& font, const std::wstring& face) {
  LOGFONTW log{};
  log.lfHeight = -font.height;
  log.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
  log.lfItalic = font.italic;
  log.lfUnderline = font.underline;
  log.lfStrikeOut = font.strike;
  log.lfCharSet = static_cast<BYTE>(font.charset);
  log.lfOutPrecision = OUT_DEFAULT_PRECIS;
  log.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  log.lfQuality = ANTIALIASED_QUALITY;
  log.lfPitchAndFamily = DEFAULT_PITCH;
  wcsncpy(log.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  return log;
}

GdiFontCache::~GdiFontCache() { deselectMeasuringFont(); }

void GdiFontCache::Clear() {
  deselectMeasuringFont();
  fonts_.clear();
}

void GdiFontCache::deselectMeasuringFont() {
  if (measuringFont_ != nullptr) SelectObject(measuring_.get(), measuringDefault_);
  measuringFont_ = nullptr;
}

LayoutSize GdiFontCache::Measure(std::u16string_view text, const FontDescription& description, int wrapWidth) {
  if (!measuring_) measuring_.reset(CreateCompatibleDC(nullptr));
  if (!measuring_) return {};
  HFONT font = Get(description);
  if (font != measuringFont_) {
    // A font GDI could not make is measured in the DC's own, as before any was selected.
    HGDIOBJ wanted = font != nullptr ? static_cast<HGDIOBJ>(font) : measuringDefault_;
    if (wanted != nullptr) {
      HGDIOBJ previous = SelectObject(measuring_.get(), wanted);
      if (measuringDefault_ == nullptr) measuringDefault_ = previous;
    }
    measuringFont_ = font;
  }
  const std::wstring wide = common::toWide(text);
  if (wrapWidth > 0) {
    RECT bounds{0, 0, wrapWidth, 0};
    DrawTextW(measuring_.get(), wide.c_str(), static_cast<int>(wide.size()), &bounds,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return LayoutSize{static_cast<int>(bounds.right - bounds.left), static_cast<int>(bounds.bottom - bounds.top)};
  }
  SIZE size{};
  GetTextExtentPoint32W(measuring_.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
  return LayoutSize{size.cx, size.cy};
}

HFONT GdiFontCache::Get(const FontDescription& font) {
  Key key{font.face, font.height, font.bold, font.italic, font.underline, font.strike, font.charset};
  auto found = fonts_.find(key);
  if (found == fonts_.end()) {
    auto face = faces_.find(font.face);
    if (face == faces_.end()) face = faces_.emplace(font.face, InstalledFace(font.face, defaultFace_)).first;
    const LOGFONTW log = LogFontFor(font, face->second);
    found = fonts_.emplace(std::move(key), common::UniqueGdiObject(CreateFontIndirectW(&log))).first;
  }
  return static_cast<HFONT>(found->second.get());
}

}  // namespace veneer

#include "veneer/wnd/controls.h"

#include <cstdlib>
#include <string>

#include "common/utf.h"
#include "veneer/core/ui_context.h"
#include "veneer/core/values.h"
#include "veneer/render/render_target.h"
#include "veneer/xml/xml_names.h"

namespace veneer {

int VButton::fadeTarget() const {
  const int state = StateIndex();
  return state == 1 || state == 2 ? kFadeSteps : 0;
}

bool VButton::AdvanceAnimation() {
  const int target = fadeTarget();
  if (!animate_ || StateIndex() >= 2) {
    fade_ = target;  // no fade: the picture of the state at once
    return false;
  }
  fade_ += fade_ < target ? 1 : fade_ > target ? -1 : 0;
  return fade_ != target;
}

bool VButton::OnPaint(IRenderTarget& target) const {
  VSkinObjBase* skin = Skin();
  // At the end of a fade (or without one) the toolkit draws the state's own picture.
  if (skin == nullptr || !animate_ || StateIndex() >= 2 || fade_ == fadeTarget()) return false;
  DrawSkin(target, *skin, 0, Rect());
  DrawSkin(target, *skin, 1, Rect(), 255 * fade_ / kFadeSteps);
  return true;
}

bool VButton::OnAttribute(std::string_view name, std::u16string_view value) {
  if (xml::namesEqual(name, "animate")) {
    animate_ = value != u"0";
    return true;
  }
  if (xml::namesEqual(name, "accel")) {
    accel_ = value;
    return true;
  }
  return false;
}

bool VTabPage::OnAttribute(std::string_view name, std::u16string_view value) {
  if (xml::namesEqual(name, "title")) {
    title_ = value;
    return true;
  }
  return false;
}

bool VTabCtrl::OnAttribute(std::string_view name, std::u16string_view value) {
  if (xml::namesEqual(name, "curSel")) {
    curSel_ = std::atoi(common::utf16ToUtf8(value).c_str());
    return true;
  }
  if (xml::namesEqual(name, "tabSize")) {
    // Two lengths; anything else (such as a single "0") is rejected and leaves the defaults.
    const std::size_t comma = value.find(u',');
    if (comma != std::u16string_view::npos && value.find(u',', comma + 1) == std::u16string_view::npos) {
      tabWidth_ = parseLayoutLength(value.substr(0, comma));
      tabHeight_ = parseLayoutLength(value.substr(comma + 1));
    }
    return true;
  }
  return false;
}

void VTabCtrl::LayoutChildren() {
  const int headers = tabHeight_.isSpecified() ? tabHeight_.toPixels(Host().scale) : 0;
  const WindowRect area{Rect().left, Rect().top + headers, Rect().right, Rect().bottom};
  for (int i = 0; i < PageCount(); ++i) GetPage(i)->Move(area);
}

int VTabCtrl::PageCount() const {
  int count = 0;
  for (std::size_t i = 0; i < ChildCount(); ++i) count += Child(i)->IsClass("page") ? 1 : 0;
  return count;
}

VTabPage* VTabCtrl::GetPage(int index) const {
  if (index < 0) return nullptr;
  int seen = 0;
  for (std::size_t i = 0; i < ChildCount(); ++i) {
    if (!Child(i)->IsClass("page")) continue;
    if (seen++ == index) return static_cast<VTabPage*>(Child(i));
  }
  return nullptr;
}

void VTabCtrl::ShowCurrentPage() {
  for (int i = 0; i < PageCount(); ++i) GetPage(i)->SetVisible(i == curSel_);
}

bool VTabCtrl::SelectPage(int index) {
  if (index < 0 || index >= PageCount() || index == curSel_) return false;
  const int from = curSel_;
  if (onSelChanging && !onSelChanging(from, index)) return false;
  if (VTabPage* old = GetPage(from)) old->SetVisible(false);
  GetPage(index)->SetVisible(true);
  curSel_ = index;
  if (onSelChanged) onSelChanged(from, index);
  return true;
}

// Integer attributes of the bar: decimal or "0x" hexadecimal, 0 for another text.
static int integerValue(std::u16string_view value) { return static_cast<int>(parseInteger(value).value_or(0)); }

bool VProgress::OnAttribute(std::string_view name, std::u16string_view value) {
  if (xml::namesEqual(name, "bkgndSkin")) {
    bkgndSkin_ = lookUpSkin(value);
  } else if (xml::namesEqual(name, "posSkin")) {
    posSkin_ = lookUpSkin(value);
  } else if (xml::namesEqual(name, "min")) {
    min_ = integerValue(value);  // not checked against max, as written
  } else if (xml::namesEqual(name, "max")) {
    max_ = integerValue(value);
  } else if (xml::namesEqual(name, "value")) {
    value_ = integerValue(value);
  } else if (xml::namesEqual(name, "vertical")) {
    vertical_ = integerValue(value);
  } else if (xml::namesEqual(name, "showPercent")) {
    showPercent_ = integerValue(value);
  } else {
    return false;
  }
  return true;
}

// At the scale the control has now; a later change of scale keeps the skin.
VSkinObjBase* VProgress::lookUpSkin(std::u16string_view name) const {
  if (Host().ui == nullptr) return nullptr;
  return Host().ui->Skins().GetSkin(name, Host().scale);
}

void VProgress::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
  if (value_ > max_) value_ = max_;
  if (value_ < min_) value_ = min_;
}

void VProgress::SetValue(int value) {
  if (value < min_) value = min_;
  if (value > max_) value = max_;
  value_ = value;
}

}  // namespace veneer

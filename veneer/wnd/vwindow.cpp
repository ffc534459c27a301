#include "veneer/wnd/vwindow.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "common/utf.h"
#include "veneer/core/values.h"
#include "veneer/core/toolkit_log.h"
#include "veneer/core/ui_context.h"
#include "veneer/skin/skin.h"
#include "veneer/wnd/object_factory.h"
#include "veneer/xml/xml_names.h"

namespace veneer {
namespace {

bool isOff(std::u16string_view value) { return value == u"0"; }

}  // namespace

std::optional<int> parseWindowId(std::u16string_view value) {
  static constexpr std::pair<std::u16string_view, int> kNames[] = {
      {u"IDOK", 1}, {u"IDCANCEL", 2}, {u"IDABORT", 3}, {u"IDRETRY", 4}, {u"IDIGNORE", 5},
      {u"IDYES", 6}, {u"IDNO", 7},    {u"IDCLOSE", 8}, {u"IDHELP", 9}};
  if (value.substr(0, 2) == u"ID") {
    for (const auto& [name, id] : kNames) {
      if (value == name) return id;
    }
    return std::nullopt;
  }
  if (auto n = parseInteger(value)) return static_cast<int>(*n);
  return std::nullopt;
}

VWindow::VWindow(HostContext& host) : host_(&host) {}
VWindow::~VWindow() = default;

bool VWindow::IsClass(std::string_view className) const { return xml::namesEqual(className, "window"); }

VWindow* VWindow::AppendChild(std::unique_ptr<VWindow> child) {
  child->parent_ = this;
  children_.push_back(std::move(child));
  layoutDirty_ = true;
  return children_.back().get();
}

void VWindow::RemoveLastChild() {
  if (children_.empty()) return;
  children_.pop_back();
  layoutDirty_ = true;
}

bool VWindow::SetAttribute(std::string_view name, std::u16string_view value) {
  return OnAttribute(name, value) || windowAttribute(name, value) || styleAttribute(name, value) ||
         layoutAttribute(name, value);
}

bool VWindow::OnAttribute(std::string_view, std::u16string_view) { return false; }

bool VWindow::windowAttribute(std::string_view name, std::u16string_view value) {
  const VUiDefinitions* definitions = host_->ui ? host_->ui->Definitions() : nullptr;
  auto resolve = [&](std::u16string_view text) {
    return definitions ? definitions->ResolveText(text) : std::u16string(text);
  };
  if (xml::namesEqual(name, "id")) {
    if (auto id = parseWindowId(value)) id_ = *id;
    return true;
  }
  if (xml::namesEqual(name, "name")) {
    name_ = value;
    return true;
  }
  if (xml::namesEqual(name, "layout")) {
    // Replaces the layout object; a name of no layout class is rejected.
    if (IsLayoutClassName(common::utf16ToUtf8(value))) layoutClass_ = value;
    return true;
  }
  if (xml::namesEqual(name, "skin")) {
    skinName_ = value;
    return true;
  }
  if (xml::namesEqual(name, "text")) {
    SetWindowText(resolve(value));
    return true;
  }
  if (xml::namesEqual(name, "tip")) {
    tip_ = resolve(value);
    return true;
  }
  if (xml::namesEqual(name, "enable")) {
    enabled_ = !isOff(value);
    return true;
  }
  if (xml::namesEqual(name, "visible") || xml::namesEqual(name, "show")) {
    visible_ = !isOff(value);
    return true;
  }
  if (xml::namesEqual(name, "display")) {
    display_ = !isOff(value);
    return true;
  }
  if (xml::namesEqual(name, "float")) {
    const auto n = parseInteger(value);
    float_ = n && *n != 0;
    return true;
  }
  if (xml::namesEqual(name, "maxWidth")) {
    maxWidth_ = parseLayoutLength(value);
    RequestParentLayout();
    return true;
  }
  static constexpr std::string_view kStoredFlags[] = {"ncskin", "data", "cache", "alpha", "layeredWindow",
                                                      "trackMouseEvent", "msgTransparent", "clipClient",
                                                      "focusable", "drawFocusRect"};
  for (std::string_view flag : kStoredFlags) {
    if (xml::namesEqual(name, flag)) return true;  // accepted; drawing and input use them
  }
  return false;
}

bool VWindow::styleAttribute(std::string_view name, std::u16string_view value) {
  const VUiDefinitions* definitions = host_->ui ? host_->ui->Definitions() : nullptr;
  const std::pair<const char*, std::optional<Colour> VwndStyle::*> colours[] = {
      {"colorText", &VwndStyle::colorText},
      {"colorTextHover", &VwndStyle::colorTextHover},
      {"colorTextPush", &VwndStyle::colorTextPush},
      {"colorTextDisable", &VwndStyle::colorTextDisable},
      {"colorBkgnd", &VwndStyle::colorBkgnd},
      {"colorBorder", &VwndStyle::colorBorder}};
  for (const auto& [attribute, member] : colours) {
    if (!xml::namesEqual(name, attribute)) continue;
    const NamedColourLookup named = [definitions](std::u16string_view n) -> std::optional<Colour> {
      return definitions ? definitions->NamedColour(n) : std::nullopt;
    };
    if (auto colour = parseColour(value, named)) style_.*member = colour;
    return true;
  }
  if (xml::namesEqual(name, "align") || xml::namesEqual(name, "valign")) {
    const bool vertical = xml::namesEqual(name, "valign");
    static constexpr std::u16string_view kHorizontal[] = {u"left", u"center", u"right"};
    static constexpr std::u16string_view kVertical[] = {u"top", u"middle", u"bottom"};
    for (int i = 0; i < 3; ++i) {
      if (value == (vertical ? kVertical : kHorizontal)[i]) (vertical ? style_.valign : style_.align) = i;
    }
    return true;  // another keyword is rejected and leaves the value
  }
  if (xml::namesEqual(name, "inset") || xml::namesEqual(name, "padding")) {
    const auto parts = splitAt(value, u',');
    if (parts.size() == 4) {
      for (int i = 0; i < 4; ++i) style_.inset[i] = parseLayoutLength(parts[static_cast<std::size_t>(i)]);
    }
    return true;
  }
  const std::pair<const char*, std::u16string VwndStyle::*> fonts[] = {{"font", &VwndStyle::font},
                                                                        {"fontHover", &VwndStyle::fontHover},
                                                                        {"fontPush", &VwndStyle::fontPush},
                                                                        {"fontDisable", &VwndStyle::fontDisable}};
  for (const auto& [attribute, member] : fonts) {
    if (!xml::namesEqual(name, attribute)) continue;
    style_.*member = value;
    RequestParentLayout();  // a wrapped window measures its text in its font
    return true;
  }
  if (xml::namesEqual(name, "cursor")) {
    style_.cursor = value;
    return true;
  }
  return false;
}

bool VWindow::layoutAttribute(std::string_view name, std::u16string_view value) {
  if (xml::namesEqual(name, "pos")) {
    param_.SetPos(value);
  } else if (xml::namesEqual(name, "width")) {
    param_.SetWidth(value);
  } else if (xml::namesEqual(name, "height")) {
    param_.SetHeight(value);
  } else if (xml::namesEqual(name, "size")) {
    param_.SetSize(value);
  } else if (xml::namesEqual(name, "offset")) {
    param_.SetOffset(value);
  } else {
    return false;
  }
  RequestParentLayout();
  return true;
}

void VWindow::SetWindowText(std::u16string_view text) {
  rawText_ = text;
  shownText_ = host_->ui ? host_->ui->Translations().Translate(rawText_, host_->translationContext) : rawText_;
  if (param_.width.isWrapContent() || param_.height.isWrapContent()) RequestParentLayout();
}

void VWindow::OnLanguageChanged() {
  if (!rawText_.empty()) SetWindowText(std::u16string(rawText_));
  for (const auto& child : children_) child->OnLanguageChanged();
}

std::u16string VWindow::Translated(std::u16string_view text) const {
  if (text.empty() || host_->ui == nullptr) return std::u16string(text);
  return host_->ui->Translations().Translate(text, host_->translationContext);
}

void VWindow::LayoutIfNeeded() {
  if (layoutDirty_) {
    layOut();  // moves every child, which lays out its own children
    return;
  }
  for (const auto& child : children_) child->LayoutIfNeeded();
}

VSkinObjBase* VWindow::Skin() const {
  if (skinName_.empty() || host_->ui == nullptr) return nullptr;
  return host_->ui->Skins().GetSkin(skinName_, host_->scale);
}

void VWindow::RequestParentLayout() {
  if (parent_ != nullptr) parent_->layoutDirty_ = true;
}

LayoutSize VWindow::DesiredSize(int availableWidth, int availableHeight) const {
  // A container measures its children; a window with text measures the text within its insets.
  const int scale = host_->scale;
  const int insetX = style_.inset[0].toPixels(scale) + style_.inset[2].toPixels(scale);
  const int insetY = style_.inset[1].toPixels(scale) + style_.inset[3].toPixels(scale);
  LayoutSize size;
  if (!children_.empty()) {
    std::vector<LayoutChild> parts;
    for (const auto& child : children_) {
      if (!child->TakesPart()) continue;
      parts.push_back(LayoutChild{child->id_, child->param_, [c = child.get()](int w, int h) {
                                    return c->DesiredSize(w, h);
                                  }});
    }
    size = MeasureChildren(parts, scale);
  } else if (!shownText_.empty() && host_->measureText) {
    size = host_->measureText(shownText_, Font(), TextWrapWidth());
  }
  (void)availableWidth;
  (void)availableHeight;
  return LayoutSize{size.width + insetX, size.height + insetY};
}

int VWindow::TextWrapWidth() const {
  if (!maxWidth_ || !param_.width.isWrapContent()) return 0;
  const int scale = host_->scale;
  const int insetX = style_.inset[0].toPixels(scale) + style_.inset[2].toPixels(scale);
  return std::max(1, maxWidth_->toPixels(scale) - insetX);
}

void VWindow::Move(const WindowRect& rect) {
  rect_ = rect;
  layOut();
}

// The flag is cleared here, not by each arrangement: a control with its own
// (the tab control) stayed dirty and was laid out again at every paint.
void VWindow::layOut() {
  LayoutChildren();
  layoutDirty_ = false;
}

void VWindow::MoveTo(int x, int y, int width, int height) {
  const int w = width < 0 ? rect_.Width() : width;
  const int h = height < 0 ? rect_.Height() : height;
  float_ = true;
  Move(WindowRect{x, y, x + w, y + h});
}

void VWindow::Unfloat() {
  float_ = false;
  RequestParentLayout();
}

std::vector<VWindow*> VWindow::PlacedChildren() const {
  std::vector<VWindow*> placed;
  for (const auto& child : children_) {
    if (child->TakesPart()) placed.push_back(child.get());
  }
  return placed;
}

void VWindow::LayoutChildren() {
  const std::vector<VWindow*> placed = PlacedChildren();
  std::vector<LayoutChild> parts;
  for (VWindow* child : placed) {
    parts.push_back(LayoutChild{child->id_, child->param_, [child](int w, int h) { return child->DesiredSize(w, h); }});
  }
  const std::vector<LayoutRect> rects =
      veneer::LayoutChildren(parts, rect_.left, rect_.top, rect_.Width(), rect_.Height(), host_->scale);
  for (std::size_t i = 0; i < placed.size(); ++i) {
    const LayoutRect& r = rects[i];
    // Edges that stayed unresolved are handed over as the origin; layouts must not leave any.
    placed[i]->Move(WindowRect{r.left.value_or(rect_.left), r.top.value_or(rect_.top), r.right.value_or(rect_.left),
                               r.bottom.value_or(rect_.top)});
  }
}

VWindow* VWindow::findByName(std::u16string_view name, int depth) const {
  for (const auto& child : children_) {
    if (child->name_ == name) return child.get();
  }
  if (depth == 1) return nullptr;
  for (const auto& child : children_) {
    if (VWindow* found = child->findByName(name, depth < 0 ? depth : depth - 1)) return found;
  }
  return nullptr;
}

VWindow* VWindow::FindChildByName2(std::u16string_view name, std::string_view className, int depth) const {
  VWindow* found = (name.empty() || depth == 0) ? nullptr : findByName(name, depth);
  if (found != nullptr && found->IsClass(className)) return found;
  char message[512];
  std::snprintf(message, sizeof message,
                "FindChildByName2 Failed, no window of class [%.*s] with name of [%s] was found within [%d] levels",
                static_cast<int>(className.size()), className.data(), common::utf16ToUtf8(name).c_str(), depth);
  ToolkitWarning(message);
  return nullptr;
}

void VWindow::DispatchScale(int scale) {
  host_->scale = scale;  // the host's windows share one scale
  layoutDirty_ = true;
  for (const auto& child : children_) child->DispatchScale(scale);
}

bool VWindow::SetHover(bool hover) {
  if (hover_ == hover) return false;
  hover_ = hover;
  return true;
}

int VWindow::StateIndex() const {
  if (!enabled_) return 3;
  if (pushed_) return 2;  // pushed, wherever the pointer is
  return hover_ ? 1 : 0;
}

Colour VWindow::TextColour() const {
  const std::optional<Colour>* byState[] = {&style_.colorText, &style_.colorTextHover, &style_.colorTextPush,
                                            &style_.colorTextDisable};
  const std::optional<Colour>& own = *byState[StateIndex()];
  return own.value_or(style_.colorText.value_or(makeColour(0, 0, 0)));
}

FontDescription VWindow::Font() const {
  const std::u16string* byState[] = {&style_.font, &style_.fontHover, &style_.fontPush, &style_.fontDisable};
  std::u16string_view description = *byState[StateIndex()];
  for (const VWindow* w = this; description.empty() && w != nullptr; w = w->parent_) description = w->style_.font;
  const VUiDefinitions* definitions = host_->ui ? host_->ui->Definitions() : nullptr;
  return parseFontDescription(description, definitions ? definitions->font : DefaultFont{}, host_->scale);
}

void VWindow::OnLButtonDown() {
  if (enabled_) pushed_ = true;
}

void VWindow::OnLButtonUp() {
  if (!pushed_) return;
  pushed_ = false;
  if ((id_ != 0 || !name_.empty()) && host_->onCommand) host_->onCommand(id_, name_);
}

}  // namespace veneer

#include "veneer/wnd/layout_document.h"

#include <cstdlib>
#include <vector>

#include "common/utf.h"
#include "veneer/core/toolkit_log.h"
#include "veneer/core/ui_context.h"
#include "veneer/core/values.h"
#include "veneer/res/resource_id.h"
#include "veneer/wnd/controls.h"
#include "veneer/xml/xml_names.h"

namespace veneer {
namespace {

std::optional<long> integerOf(const pugi::xml_attribute& a) {
  char* end = nullptr;
  const long value = std::strtol(a.value(), &end, 0);
  if (end == a.value()) return std::nullopt;
  return value;
}

// `count` lengths separated by ','; another count is rejected and leaves the values.
template <std::size_t count>
void readLengths(std::u16string_view value, LayoutLength (&lengths)[count]) {
  const auto parts = splitAt(value, u',');
  if (parts.size() != count) return;
  for (std::size_t i = 0; i < count; ++i) lengths[i] = parseLayoutLength(parts[i]);
}

void readHostAttributes(pugi::xml_node element, HostAttributes& out) {
  for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
    const std::string_view name = a.name();
    const std::u16string value = common::utf8ToUtf16(a.value());
    auto flag = [&] { return std::string_view(a.value()) != "0" && integerOf(a).value_or(1) != 0; };
    if (xml::namesEqual(name, "title")) out.title = value;
    else if (xml::namesEqual(name, "trCtx")) out.trCtx = value;
    else if (xml::namesEqual(name, "width")) out.width = parseLayoutLength(value);
    else if (xml::namesEqual(name, "height")) out.height = parseLayoutLength(value);
    else if (xml::namesEqual(name, "wndStyle")) out.wndStyle = integerOf(a);
    else if (xml::namesEqual(name, "wndStyleEx")) out.wndStyleEx = integerOf(a);
    else if (xml::namesEqual(name, "resizable")) out.resizable = flag();
    else if (xml::namesEqual(name, "translucent")) out.translucent = flag();
    else if (xml::namesEqual(name, "appWnd")) out.appWnd = flag();
    else if (xml::namesEqual(name, "toolWindow")) out.toolWindow = flag();
    else if (xml::namesEqual(name, "sendWheel2Hover")) out.sendWheel2Hover = flag();
    else if (xml::namesEqual(name, "allowSpy")) out.allowSpy = flag();
    else if (xml::namesEqual(name, "appMainWnd")) {
      // The role by number: 0 undefined, 1 the application's main window, 2 a normal window.
      if (auto n = integerOf(a); n && *n >= 0 && *n <= 2) out.wndType = static_cast<WndType>(*n);
    } else if (xml::namesEqual(name, "alpha")) {
      if (auto n = integerOf(a); n && *n >= 0 && *n <= 255) out.alpha = static_cast<int>(*n);
    } else if (xml::namesEqual(name, "wndType")) {
      if (value == u"undefine") out.wndType = WndType::kUndefine;
      else if (value == u"appMain") out.wndType = WndType::kAppMain;
      else if (value == u"normal") out.wndType = WndType::kNormal;  // another text is rejected
    } else if (xml::namesEqual(name, "margin")) {
      readLengths(value, out.margin);
    } else if (xml::namesEqual(name, "maxInset")) {
      readLengths(value, out.maxInset);
    } else if (xml::namesEqual(name, "minsize")) {
      readLengths(value, out.minSize);
    } else if (xml::namesEqual(name, "smallIcon")) {
      out.smallIcon = value;
    } else if (xml::namesEqual(name, "bigIcon")) {
      out.bigIcon = value;
    }
  }
}

class TreeBuilder {
 public:
  TreeBuilder(HostContext& host, const VObjectFactoryMgr& registry) : host_(host), registry_(registry) {}

  void createChildren(pugi::xml_node parentElement, VWindow& parent) {
    for (pugi::xml_node element = parentElement.first_child(); element; element = element.next_sibling()) {
      if (element.type() != pugi::node_element) continue;
      if (xml::namesEqual(element.name(), "include")) {
        include(element, parent);
        continue;
      }
      std::unique_ptr<VWindow> created = registry_.CreateWindowObject(element.name(), host_);
      if (!created) continue;
      VWindow& window = *parent.AppendChild(std::move(created));
      applyElement(element, window);
      if (!parent.Enabled()) window.SetEnabled(false);
      if (!parent.Visible()) window.SetVisible(false);
      if (!window.OnCreate()) {
        ToolkitWarning(std::string("warning!!! create window failed: ") + element.name());
        parent.RemoveLastChild();
        continue;
      }
      createChildren(element, window);
      if (window.IsClass("tabctrl")) static_cast<VTabCtrl&>(window).ShowCurrentPage();
    }
  }

  // The class's defaults, the layout parameters reset, the element's
  // attributes ("layout", its style class, the rest) and its text.
  void applyElement(pugi::xml_node element, VWindow& window) {
    applyClassDefaults(window);
    window.ResetLayoutParam();
    const AttributeList attributes =
        host_.ui ? AttributesInApplyOrder(element, host_.ui->Styles()) : StyleAttributes(element);
    for (const auto& [name, value] : attributes) window.SetAttribute(name, value);
    const std::u16string content = common::utf8ToUtf16(element.text().get());
    const std::u16string text(trimBlanks(content));
    if (!text.empty()) window.SetWindowText(resolve(text));
  }

 private:
  std::u16string resolve(std::u16string_view text) const {
    const VUiDefinitions* definitions = host_.ui ? host_.ui->Definitions() : nullptr;
    return definitions ? definitions->ResolveText(text) : std::u16string(text);
  }

  void applyClassDefaults(VWindow& window) {
    const VUiDefinitions* definitions = host_.ui ? host_.ui->Definitions() : nullptr;
    if (definitions == nullptr) return;
    pugi::xml_node defaults = definitions->ClassDefaults(window.ClassName());
    if (!defaults) return;
    for (const auto& [name, value] : AttributesInApplyOrder(defaults, host_.ui->Styles())) {
      window.SetAttribute(name, value);
    }
  }

  // The children of the included document's `include` root take the element's place.
  void include(pugi::xml_node element, VWindow& parent) {
    if (host_.ui == nullptr) return;
    std::u16string src = xml::attributeText(element, "src");
    if (src.find(u':') == std::u16string::npos) src = u"LAYOUT:" + src;
    auto document = std::make_unique<pugi::xml_document>();
    if (!LoadXmlResource(host_.ui->Providers(), *document, src)) return;
    pugi::xml_node root = xml::child(*document, "include");
    if (root) createChildren(root, parent);
  }

  HostContext& host_;
  const VObjectFactoryMgr& registry_;
};

}  // namespace

std::u16string VHostModel::ShownTitle(const HostContext& host) const {
  const VUiDefinitions* definitions = host.ui ? host.ui->Definitions() : nullptr;
  const std::u16string resolved = definitions ? definitions->ResolveText(attributes.title) : attributes.title;
  return host.ui ? host.ui->Translations().Translate(resolved, attributes.trCtx) : resolved;
}

LayoutSize VHostModel::InitialSize(const HostContext& host) const {
  LayoutSize size{attributes.width.toPixels(host.scale), attributes.height.toPixels(host.scale)};
  if ((size.width <= 0 || size.height <= 0) && root) {
    const LayoutSize desired = root->DesiredSize(0, 0);
    if (size.width <= 0) size.width = desired.width;
    if (size.height <= 0) size.height = desired.height;
  }
  return size;
}

std::unique_ptr<VHostModel> BuildHost(pugi::xml_node veneerElement, HostContext& host,
                                      const VObjectFactoryMgr& registry) {
  auto model = std::make_unique<VHostModel>();
  readHostAttributes(veneerElement, model->attributes);
  host.translationContext = model->attributes.trCtx;
  if (host.ui != nullptr) {
    if (pugi::xml_node styles = xml::child(veneerElement, "style")) {
      model->privateStyles = std::make_shared<VStylePool>();
      model->privateStyles->LoadStyles(styles);
      host.ui->Styles().Push(model->privateStyles);
    }
    if (pugi::xml_node skins = xml::child(veneerElement, "skin")) {
      model->privateSkins = std::make_shared<VSkinPool>();
      const VUiDefinitions* definitions = host.ui->Definitions();
      const SkinContext context{&host.ui->Providers(), [definitions](std::u16string_view text) {
                                  return definitions ? definitions->ResolveText(text) : std::u16string(text);
                                }};
      LoadSkins(skins, model->privateSkins, host.ui->Skins(), context, [](const std::string& w) { ToolkitWarning(w); });
      host.ui->Skins().Push(model->privateSkins);
    }
  }
  model->root = registry.CreateWindowObject("window", host);
  if (pugi::xml_node root = xml::child(veneerElement, "root")) {
    // An ordinary window: read as every other element is.
    TreeBuilder builder(host, registry);
    builder.applyElement(root, *model->root);
    builder.createChildren(root, *model->root);
  }
  return model;
}

HitCode ResizeHitAt(const HostAttributes& host, int scale, bool maximised, int x, int y, int width, int height) {
  if (!host.resizable || maximised) return kHitClient;
  const bool left = x < host.margin[0].toPixels(scale);
  const bool top = y < host.margin[1].toPixels(scale);
  const bool right = x >= width - host.margin[2].toPixels(scale);
  const bool bottom = y >= height - host.margin[3].toPixels(scale);
  if (top) return left ? kHitTopLeft : right ? kHitTopRight : kHitTop;
  if (bottom) return left ? kHitBottomLeft : right ? kHitBottomRight : kHitBottom;
  if (left) return kHitLeft;
  return right ? kHitRight : kHitClient;
}

CaptionMove CaptionMoveOnPress(bool maximised, unsigned majorVersion, bool workstation) {
  if (!maximised) return CaptionMove::kAtOnce;
  return majorVersion == 6 && workstation ? CaptionMove::kAtFirstMouseMove : CaptionMove::kNone;
}

bool QuitsOnDestroy(WndType role, bool isChildWindow, bool isToolWindow) {
  if (role == WndType::kAppMain) return true;
  if (role == WndType::kNormal) return false;
  return !isChildWindow && !isToolWindow;
}

}  // namespace veneer

#include "veneer/skin/ui_definitions.h"

#include <cstdlib>
#include <vector>

#include "common/utf.h"
#include "veneer/core/toolkit_log.h"
#include "veneer/res/res_provider_mgr.h"
#include "veneer/res/resource_id.h"
#include "veneer/xml/xml_names.h"

namespace veneer {
namespace {

int integerOr(pugi::xml_node node, const char* name, int fallback) {
  pugi::xml_attribute a = xml::attribute(node, name);
  if (!a) return fallback;
  char* end = nullptr;
  const long value = std::strtol(a.value(), &end, 0);
  return end == a.value() ? fallback : static_cast<int>(value);
}

bool flag(pugi::xml_node node, const char* name) {
  pugi::xml_attribute a = xml::attribute(node, name);
  return a && std::string_view(a.value()) != "0";
}

// A section, or the same section of the document its "src" names.
pugi::xml_node sectionOf(pugi::xml_node root, const char* name, VResProviderMgr& providers,
                         std::vector<std::unique_ptr<pugi::xml_document>>& sources) {
  pugi::xml_node section = xml::child(root, name);
  if (!section) return section;
  const std::u16string src = xml::attributeText(section, "src");
  if (src.empty()) return section;
  auto document = std::make_unique<pugi::xml_document>();
  if (!LoadXmlResource(providers, *document, src)) return {};
  pugi::xml_node replaced = xml::child(*document, name);
  sources.push_back(std::move(document));
  return replaced;
}

}  // namespace

std::u16string VUiDefinitions::ResolveText(std::u16string_view text) const {
  if (text.substr(0, 8) != u"@string/") return std::u16string(text);
  auto it = strings.find(std::u16string(text.substr(8, kNamedUnits)));
  return it == strings.end() ? std::u16string() : it->second;
}

std::optional<Colour> VUiDefinitions::NamedColour(std::u16string_view name) const {
  auto it = colours.find(std::u16string(name));
  if (it == colours.end()) return std::nullopt;
  return it->second;
}

pugi::xml_node VUiDefinitions::ClassDefaults(std::string_view className) const {
  return xml::child(objattr_.first_child(), className);
}

std::unique_ptr<VUiDefinitions> LoadUiDefinitions(VResProviderMgr& providers, IResProvider& provider,
                                                  std::u16string_view uidefId, VSkinPoolMgr& skinManager,
                                                  VStylePoolMgr& styleManager) {
  const std::optional<ResourceId> id = splitResourceId(uidefId);
  if (!id) {
    ToolkitWarning("warning!!!! Add ResProvider Error.");
    return nullptr;
  }
  const std::size_t size = provider.RawSize(id->type, id->name);
  if (size == 0) {
    ToolkitWarning("warning!!!! uidef was not found in the specified resprovider");
    return nullptr;
  }
  std::vector<char> bytes(size + 1, '\0');
  std::uint32_t error = 0;
  pugi::xml_document document;
  if (!provider.ReadRaw(id->type, id->name, bytes.data(), size, error) ||
      !document.load_buffer(bytes.data(), size, pugi::parse_default, pugi::encoding_utf8)) {
    ToolkitWarning("warning!!! load uidef as xml document failed");
    return nullptr;
  }
  pugi::xml_node root = xml::child(document, "uidef");
  if (!root) {
    ToolkitWarning("warning!!! \"uidef\" element is not the root element of uidef xml");
    return nullptr;
  }

  auto definitions = std::make_unique<VUiDefinitions>();
  std::vector<std::unique_ptr<pugi::xml_document>> sources;
  if (pugi::xml_node font = sectionOf(root, "font", providers, sources)) {
    const std::u16string face = xml::attributeText(font, "face");
    if (!face.empty()) definitions->font.face = face;
    definitions->font.size = integerOr(font, "size", 12);
    definitions->font.charset = integerOr(font, "charset", 1);
    definitions->font.bold = flag(font, "bold");
    definitions->font.underline = flag(font, "underline");
    definitions->font.strike = flag(font, "strike");
    definitions->font.italic = flag(font, "italic");
  }
  if (pugi::xml_node strings = sectionOf(root, "string", providers, sources)) {
    for (pugi::xml_node s = strings.first_child(); s; s = s.next_sibling()) {
      if (s.type() != pugi::node_element) continue;
      const std::u16string name = common::utf8ToUtf16(s.name()).substr(0, kNamedUnits);
      definitions->strings.try_emplace(name, xml::attributeText(s, "value"));
    }
  }
  if (pugi::xml_node colours = sectionOf(root, "color", providers, sources)) {
    for (pugi::xml_node c = colours.first_child(); c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element) continue;
      const std::u16string name = common::utf8ToUtf16(c.name()).substr(0, kNamedUnits);
      if (auto colour = parseColour(xml::attributeText(c, "value"))) definitions->colours.try_emplace(name, *colour);
    }
  }
  const VUiDefinitions* resolver = definitions.get();
  std::map<std::u16string, VRef<IBitmap>, std::less<>> decoded;
  const SkinContext context{&providers, [resolver](std::u16string_view text) { return resolver->ResolveText(text); },
                            &decoded};
  definitions->skins = std::make_shared<VSkinPool>();
  if (pugi::xml_node skins = sectionOf(root, "skin", providers, sources)) {
    LoadSkins(skins, definitions->skins, skinManager, context, [](const std::string& w) { ToolkitWarning(w); });
  }
  skinManager.Push(definitions->skins);
  definitions->styles = std::make_shared<VStylePool>();
  if (pugi::xml_node styles = sectionOf(root, "style", providers, sources)) definitions->styles->LoadStyles(styles);
  styleManager.Push(definitions->styles);
  if (pugi::xml_node objattr = sectionOf(root, "objattr", providers, sources)) {
    definitions->objattr_.append_copy(objattr);
  }
  return definitions;
}

}  // namespace veneer

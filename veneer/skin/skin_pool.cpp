#include "veneer/skin/skin_pool.h"

#include "common/utf.h"
#include "veneer/core/toolkit_log.h"
#include "veneer/xml/xml_names.h"

namespace veneer {

int standardScaleOf(int scale) {
  if (scale < 125) return 100;
  if (scale < 150) return 125;
  if (scale < 200) return 150;
  if (scale < 250) return 200;
  if (scale < 300) return 250;
  return 300;
}

VSkinObjBase* VSkinPool::Find(const SkinKey& key) const {
  auto it = skins_.find(key);
  return it == skins_.end() ? nullptr : it->second.get();
}

bool VSkinPool::Insert(const SkinKey& key, VSkinObjBase* skin) {
  if (skin == nullptr || skins_.count(key) != 0) return false;
  skins_.emplace(key, VRef<VSkinObjBase>::Share(skin));
  return true;
}

VSkinObjBase* VSkinPoolMgr::GetSkin(std::u16string_view name, int scale) {
  const std::u16string key(name);
  const int standard = standardScaleOf(scale);
  for (auto it = pools_.rbegin(); it != pools_.rend(); ++it) {
    VSkinPool& pool = **it;
    if (VSkinObjBase* exact = pool.Find({key, scale})) return exact;
    if (VSkinObjBase* atStandard = pool.Find({key, standard})) return atStandard;
    VSkinObjBase* base = nullptr;
    for (int s : kStandardScales) {
      if ((base = pool.Find({key, s})) != nullptr) break;
    }
    if (base == nullptr) continue;
    VRef<VSkinObjBase> copy = VRef<VSkinObjBase>::Adopt(base->ScaledCopy(standard));
    if (!copy) continue;
    pool.Insert({key, standard}, copy.get());
    return pool.Find({key, standard});
  }
  return nullptr;
}

namespace {
constexpr int kSkinKind = 1;  // the class registry's kind of skin classes
}  // namespace

int LoadSkins(pugi::xml_node section, const std::shared_ptr<VSkinPool>& pool, VSkinPoolMgr& manager,
              const SkinContext& context, const std::function<void(const std::string&)>& warn) {
  manager.Push(pool);  // skins of the section are found while it loads
  int created = 0;
  for (pugi::xml_node element = section.first_child(); element; element = element.next_sibling()) {
    if (element.type() != pugi::node_element) continue;
    const std::string className = element.name();
    const std::u16string name = xml::attributeText(element, "name");
    if (className.empty() || name.empty()) continue;
    VRef<VSkinObjBase> skin = VRef<VSkinObjBase>::Adopt(CreateSkin(className));
    if (!skin) {
      if (warn) warn(NoObjectWarning(className, kSkinKind));
      continue;
    }
    ++created;
    for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
      skin->SetAttribute(a.name(), common::utf8ToUtf16(a.value()), context);
    }
    pool->Insert({skin->Name(), skin->Scale()}, skin.get());
  }
  manager.Pop();
  return created;
}

bool VStylePool::LoadStyles(pugi::xml_node section) {
  pugi::xml_node copy = copies_.append_copy(section);
  xml::forEachChild(copy, "class", [&](pugi::xml_node style) {
    pugi::xml_attribute nameAttribute = xml::attribute(style, "name");
    if (!nameAttribute) return;
    const std::u16string name = common::utf8ToUtf16(nameAttribute.value());
    style.remove_attribute(nameAttribute);
    classes_.try_emplace(name, style);
  });
  return true;
}

pugi::xml_node VStylePool::Find(std::u16string_view className) const {
  auto it = classes_.find(std::u16string(className));
  return it == classes_.end() ? pugi::xml_node() : it->second;
}

pugi::xml_node VStylePoolMgr::FindStyle(std::u16string_view className) const {
  for (auto it = pools_.rbegin(); it != pools_.rend(); ++it) {
    if (pugi::xml_node style = (*it)->Find(className)) return style;
  }
  return {};
}

AttributeList StyleAttributes(pugi::xml_node style) {
  AttributeList out;
  if (pugi::xml_attribute layout = xml::attribute(style, "layout")) {
    out.emplace_back(layout.name(), common::utf8ToUtf16(layout.value()));
  }
  for (pugi::xml_attribute a = style.first_attribute(); a; a = a.next_attribute()) {
    if (xml::namesEqual(a.name(), "layout") || xml::namesEqual(a.name(), "class")) continue;
    out.emplace_back(a.name(), common::utf8ToUtf16(a.value()));
  }
  return out;
}

AttributeList AttributesInApplyOrder(pugi::xml_node element, const VStylePoolMgr& styles) {
  // The element's "layout" first, then its style class (the class's own
  // "layout" first), then the element's other attributes, which so override
  // the class's.
  AttributeList own = StyleAttributes(element);
  AttributeList out;
  if (!own.empty() && xml::attribute(element, "layout")) {
    out.push_back(std::move(own.front()));
    own.erase(own.begin());
  }
  if (pugi::xml_attribute className = xml::attribute(element, "class")) {
    if (pugi::xml_node style = styles.FindStyle(common::utf8ToUtf16(className.value()))) {
      const AttributeList ofClass = StyleAttributes(style);
      out.insert(out.end(), ofClass.begin(), ofClass.end());
    }
  }
  out.insert(out.end(), std::make_move_iterator(own.begin()), std::make_move_iterator(own.end()));
  return out;
}

}  // namespace veneer

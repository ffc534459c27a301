// Skins by (name, scale), in pools stacked on a manager; styles by class name.
#pragma once

#include <pugixml.hpp>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "veneer/skin/skin.h"

namespace veneer {

inline constexpr int kStandardScales[] = {100, 125, 150, 200, 250, 300};

// The standard scale a window of `scale` draws with.
int standardScaleOf(int scale);

using SkinKey = std::pair<std::u16string, int>;  // name, scale

class VSkinPool {
 public:
  // The skin stored under the key; borrowed, or null.
  VSkinObjBase* Find(const SkinKey& key) const;
  // Stores the skin (taking a reference) unless the key is present: the first keeps its place.
  bool Insert(const SkinKey& key, VSkinObjBase* skin);
  std::size_t Size() const { return skins_.size(); }

 private:
  std::map<SkinKey, VRef<VSkinObjBase>> skins_;
};

class VSkinPoolMgr {
 public:
  void Push(std::shared_ptr<VSkinPool> pool) { pools_.push_back(std::move(pool)); }
  void Pop() {
    if (!pools_.empty()) pools_.pop_back();
  }
  // The skin for a window of `scale`: the exact entry, then the standard scale,
  // then a copy of the smallest standard scale present, made for the standard
  // scale and stored; pools from the most recently pushed. Borrowed, or null.
  VSkinObjBase* GetSkin(std::u16string_view name, int scale);

 private:
  std::vector<std::shared_ptr<VSkinPool>> pools_;
};

// Creates the skins of a `skin` section into `pool` (pushed onto `manager`
// while it loads); returns the count of elements that made a skin. Elements
// of classes that are not registered go to `warn`.
int LoadSkins(pugi::xml_node section, const std::shared_ptr<VSkinPool>& pool, VSkinPoolMgr& manager,
              const SkinContext& context, const std::function<void(const std::string&)>& warn);

class VStylePool {
 public:
  // Copies the section's `class` children by "name" (without it); the first definition wins.
  bool LoadStyles(pugi::xml_node section);
  pugi::xml_node Find(std::u16string_view className) const;

 private:
  pugi::xml_document copies_;
  std::map<std::u16string, pugi::xml_node> classes_;
};

class VStylePoolMgr {
 public:
  void Push(std::shared_ptr<VStylePool> pool) { pools_.push_back(std::move(pool)); }
  void Pop() {
    if (!pools_.empty()) pools_.pop_back();
  }
  // From the most recently pushed pool; an empty node when no pool has it.
  pugi::xml_node FindStyle(std::u16string_view className) const;

 private:
  std::vector<std::shared_ptr<VStylePool>> pools_;
};

using AttributeList = std::vector<std::pair<std::string, std::u16string>>;

// The attributes a style class gives a window, in the order they apply:
// "layout" first, then the others in document order, never "class".
AttributeList StyleAttributes(pugi::xml_node style);

// The attributes of `element` in the order a window applies them: those of
// its "class" (when the style managers know it), then its own "layout", then
// its other attributes; a later one overrides an earlier one of the same name.
AttributeList AttributesInApplyOrder(pugi::xml_node element, const VStylePoolMgr& styles);

}  // namespace veneer

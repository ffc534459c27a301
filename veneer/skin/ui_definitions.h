// The UI definitions document (root `UIDEF`): the default font, named strings
// and colours, skins, style classes and per-class default attributes.
#pragma once

#include <pugixml.hpp>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "veneer/res/res_provider.h"
#include "veneer/skin/colour.h"
#include "veneer/skin/skin_pool.h"

namespace veneer {

class VResProviderMgr;

struct DefaultFont {
  std::u16string face = u"\u5b8b\u4f53";  // "宋体" when the document names none
  int size = 12;
  int charset = 1;
  bool bold = false;
  bool underline = false;
  bool strike = false;
  bool italic = false;
};

inline constexpr std::size_t kNamedUnits = 49;  // names of strings and colours

class VUiDefinitions {
 public:
  DefaultFont font;
  std::map<std::u16string, std::u16string> strings;  // VNamedString, sorted by name
  std::map<std::u16string, Colour> colours;          // VNamedColor
  std::shared_ptr<VSkinPool> skins;
  std::shared_ptr<VStylePool> styles;

  // "@string/<name>" gives the named string (empty when unknown); other text is returned as it is.
  std::u16string ResolveText(std::u16string_view text) const;
  std::optional<Colour> NamedColour(std::u16string_view name) const;
  // The default attributes (objattr) of a window class; an empty node when none.
  pugi::xml_node ClassDefaults(std::string_view className) const;

 private:
  friend std::unique_ptr<VUiDefinitions> LoadUiDefinitions(VResProviderMgr&, IResProvider&, std::u16string_view,
                                                           VSkinPoolMgr&, VStylePoolMgr&);
  pugi::xml_document objattr_;
};

// Loads the definitions `uidefId` from `provider` (a section's "src" is read
// through `providers`), pushes their skin and style pools onto the managers,
// and returns them; null after one of the four warnings.
std::unique_ptr<VUiDefinitions> LoadUiDefinitions(VResProviderMgr& providers, IResProvider& provider,
                                                  std::u16string_view uidefId, VSkinPoolMgr& skins,
                                                  VStylePoolMgr& styles);

}  // namespace veneer

// Element and attribute names in the toolkit's documents match without
// regard to (ASCII) case; pugixml's own lookups are exact.
#pragma once

#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace veneer::xml {

bool namesEqual(std::string_view a, std::string_view b);

pugi::xml_node child(pugi::xml_node parent, std::string_view name);
pugi::xml_attribute attribute(pugi::xml_node node, std::string_view name);

// An attribute's value as UTF-16 (empty when absent), and an element's text content.
std::u16string attributeText(pugi::xml_node node, std::string_view name);
std::u16string textContent(pugi::xml_node node);

// Calls `visit` for each child element named `name`, in document order.
template <class Visit>
void forEachChild(pugi::xml_node parent, std::string_view name, Visit visit) {
  for (pugi::xml_node node = parent.first_child(); node; node = node.next_sibling()) {
    if (node.type() == pugi::node_element && namesEqual(node.name(), name)) visit(node);
  }
}

}  // namespace veneer::xml

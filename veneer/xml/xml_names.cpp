#include "veneer/xml/xml_names.h"

#include "common/utf.h"

namespace veneer::xml {

bool namesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

pugi::xml_node child(pugi::xml_node parent, std::string_view name) {
  for (pugi::xml_node node = parent.first_child(); node; node = node.next_sibling()) {
    if (node.type() == pugi::node_element && namesEqual(node.name(), name)) return node;
  }
  return {};
}

pugi::xml_attribute attribute(pugi::xml_node node, std::string_view name) {
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
    if (namesEqual(a.name(), name)) return a;
  }
  return {};
}

std::u16string attributeText(pugi::xml_node node, std::string_view name) {
  pugi::xml_attribute a = attribute(node, name);
  return a ? common::utf8ToUtf16(a.value()) : std::u16string();
}

std::u16string textContent(pugi::xml_node node) { return common::utf8ToUtf16(node.text().get()); }

}  // namespace veneer::xml

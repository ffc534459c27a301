#include "update/language.h"

#include <pugixml.hpp>

#include "veneer/xml/xml_names.h"

namespace update {

bool InstallLanguage(veneer::VUiContext& ui, std::u16string_view resourceId) {
  pugi::xml_document document;
  if (!veneer::LoadXmlResource(ui.Providers(), document, resourceId)) return false;
  pugi::xml_node language = veneer::xml::child(document, "language");
  if (!language) return false;
  veneer::VRef<veneer::IVTranslator> translator =
      veneer::VRef<veneer::IVTranslator>::Adopt(ui.Translations().NewTranslator());
  if (!translator) return false;
  translator->LoadLanguage(language, 1);
  ui.Translations().AddTranslator(translator.get());
  return true;
}

}  // namespace update

// What the application object holds of the toolkit's data layer: the
// resource providers, the skin and style pool managers, the current UI
// definitions and the translation manager.
#pragma once

#include <memory>
#include <string_view>

#include "veneer/i18n/translator.h"
#include "veneer/res/res_provider_mgr.h"
#include "veneer/skin/ui_definitions.h"

namespace veneer {

class VUiContext {
 public:
  // `decoder` decodes the images; `translations` may be null (texts then stay as they are).
  VUiContext(IImageDecoder* decoder, IVTranslatorMgr* translations);

  // Appends the provider; with a definitions id (e.g. "uidef:xml_init") the UI
  // definitions are loaded from it and become the current ones. False when they could not be loaded.
  bool AddProvider(IResProvider* provider, std::u16string_view uidefId = {});

  VResProviderMgr& Providers() { return providers_; }
  VSkinPoolMgr& Skins() { return skins_; }
  VStylePoolMgr& Styles() { return styles_; }
  const VUiDefinitions* Definitions() const { return definitions_.get(); }
  IVTranslatorMgr& Translations() { return *translations_; }
  // Installs the translation manager (a reference of its own); null restores texts as they are.
  void SetTranslations(IVTranslatorMgr* translations);

 private:
  VResProviderMgr providers_;
  VSkinPoolMgr skins_;
  VStylePoolMgr styles_;
  std::unique_ptr<VUiDefinitions> definitions_;
  VRef<IVTranslatorMgr> translations_;
};

}  // namespace veneer

#include "veneer/core/ui_context.h"

namespace veneer {

VUiContext::VUiContext(IImageDecoder* decoder, IVTranslatorMgr* translations) : providers_(decoder) {
  SetTranslations(translations);
}

bool VUiContext::AddProvider(IResProvider* provider, std::u16string_view uidefId) {
  if (provider == nullptr) return false;
  providers_.AddProvider(provider);
  if (uidefId.empty()) return true;
  std::unique_ptr<VUiDefinitions> loaded = LoadUiDefinitions(providers_, *provider, uidefId, skins_, styles_);
  if (!loaded) return false;
  definitions_ = std::move(loaded);
  return true;
}

void VUiContext::SetTranslations(IVTranslatorMgr* translations) {
  translations_ = translations != nullptr ? VRef<IVTranslatorMgr>::Share(translations)
                                          : VRef<IVTranslatorMgr>::Adopt(new VNullTranslator);
}

}  // namespace veneer

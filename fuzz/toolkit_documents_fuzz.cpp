// The toolkit's documents and texts: colours, font descriptions, translation
// documents, UI definitions and layout documents from arbitrary bytes. A
// translation is the key or a stored text; a built window tree lays out.
#include <string>

#include "common/utf.h"
#include "fuzz/fuzz_input.h"
#include "veneer/i18n/translator.h"
#include "veneer/res/res_provider.h"
#include "veneer/res/res_provider_mgr.h"
#include "veneer/skin/colour.h"
#include "veneer/skin/font_description.h"
#include "veneer/skin/ui_definitions.h"
#include "veneer/wnd/layout_document.h"
#include "veneer/xml/xml_names.h"

namespace {

// One document in memory, served under every (type, name).
class MemoryProvider final : public veneer::TObjRefImpl<veneer::IResProvider> {
 public:
  explicit MemoryProvider(std::string bytes) : bytes_(std::move(bytes)) {}
  bool Attach(const veneer::ProviderSource&) override { return true; }
  bool HasRes(std::u16string_view, std::u16string_view) override { return true; }
  void* LoadIconRes(std::u16string_view, int, int) override { return nullptr; }
  void* LoadBitmapRes(std::u16string_view) override { return nullptr; }
  void* LoadCursorRes(std::u16string_view) override { return nullptr; }
  veneer::IBitmap* LoadImageRes(std::u16string_view, std::u16string_view) override { return nullptr; }
  veneer::IImageFrames* LoadImageFramesRes(std::u16string_view, std::u16string_view) override { return nullptr; }
  std::size_t RawSize(std::u16string_view, std::u16string_view) override { return bytes_.size(); }
  bool ReadRaw(std::u16string_view, std::u16string_view, void* buffer, std::size_t capacity,
               std::uint32_t& error) override {
    if (capacity < bytes_.size()) {
      error = veneer::kErrorInsufficientBuffer;
      return false;
    }
    std::copy(bytes_.begin(), bytes_.end(), static_cast<char*>(buffer));
    return true;
  }

 private:
  std::string bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const std::uint8_t kind = input.byte();
  const std::string bytes = input.bytes(size);

  if (kind % 5 == 0) {
    veneer::parseColour(common::utf8ToUtf16(bytes));
    const veneer::FontDescription font = veneer::parseFontDescription(common::utf8ToUtf16(bytes), {}, 150);
    if (bytes.find(':') == std::string::npos) {  // no pair: the default font at the scale
      FUZZ_CHECK(font.face == veneer::DefaultFont{}.face && font.extra.empty() && font.height == 18);
    }
    return 0;
  }
  if (kind % 5 == 3) {
    pugi::xml_document document;
    if (!document.load_buffer(bytes.data(), bytes.size())) return 0;
    veneer::HostContext host;
    host.scale = 100 + kind % 4 * 25;
    host.measureText = [](std::u16string_view text, const veneer::FontDescription&, int) {
      return veneer::LayoutSize{static_cast<int>(text.size()) * 7, 14};
    };
    veneer::VObjectFactoryMgr registry;
    veneer::VObjectDefaultRegister(registry);
    auto model = veneer::BuildHost(veneer::xml::child(document, "veneer"), host, registry);
    model->InitialSize(host);
    model->root->Move(veneer::WindowRect{0, 0, 400, 300});
    model->root->FindChildByName2(u"progress", "progress", -1);
    return 0;
  }
  if (kind % 5 == 1) {
    pugi::xml_document document;
    if (!document.load_buffer(bytes.data(), bytes.size())) return 0;
    veneer::VTranslatorMgr manager;
    veneer::VRef<veneer::IVTranslator> translator = veneer::VRef<veneer::IVTranslator>::Adopt(manager.NewTranslator());
    translator->LoadLanguage(veneer::xml::child(document, "language"), 1);
    manager.AddTranslator(translator.get());
    for (const char16_t* key : {u"{close}", u"{error}", u"x"}) {
      const std::u16string text = manager.Translate(key, u"rt.msg");
      std::u16string stored;
      FUZZ_CHECK(text == key || translator->Lookup(key, u"rt.msg", stored) == 1);
    }
    return 0;
  }
  veneer::VResProviderMgr providers;
  veneer::VRef<veneer::IResProvider> provider = veneer::VRef<veneer::IResProvider>::Adopt(new MemoryProvider(bytes));
  providers.AddProvider(provider.get());
  veneer::VSkinPoolMgr skins;
  veneer::VStylePoolMgr styles;
  auto definitions = veneer::LoadUiDefinitions(providers, *provider, u"uidef:xml_init", skins, styles);
  if (definitions) {
    for (int scale : {90, 100, 175, 250, 400}) skins.GetSkin(u"any", scale);
  }
  return 0;
}

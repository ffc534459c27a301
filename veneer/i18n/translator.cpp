#include "veneer/i18n/translator.h"

#include <algorithm>

#include "veneer/xml/xml_names.h"

namespace veneer {
namespace {

int hexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Reads `digits` hexadecimal digits at `at`; false when one is not a digit.
bool readHex(std::u16string_view text, std::size_t at, int digits, std::uint64_t& value) {
  value = 0;
  for (int i = 0; i < digits; ++i) {
    const int d = hexDigit(text[at + static_cast<std::size_t>(i)]);
    if (d < 0) return false;
    value = value << 4 | static_cast<std::uint64_t>(d);
  }
  return true;
}

}  // namespace

LanguageId parseBracedGuid(std::u16string_view text) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  LanguageId id{};
  if (text.size() != 38 || text.front() != u'{' || text.back() != u'}' || text[9] != u'-' || text[14] != u'-' ||
      text[19] != u'-' || text[24] != u'-') {
    return id;
  }
  std::uint64_t data1 = 0, data2 = 0, data3 = 0, clock = 0, node = 0;
  if (!readHex(text, 1, 8, data1) || !readHex(text, 10, 4, data2) || !readHex(text, 15, 4, data3) ||
      !readHex(text, 20, 4, clock) || !readHex(text, 25, 12, node)) {
    return LanguageId{};
  }
  // Data1, Data2 and Data3 are little-endian numbers; Data4 is bytes in text order.
  for (int i = 0; i < 4; ++i) id[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(data1 >> (8 * i));
  for (int i = 0; i < 2; ++i) id[static_cast<std::size_t>(4 + i)] = static_cast<std::uint8_t>(data2 >> (8 * i));
  for (int i = 0; i < 2; ++i) id[static_cast<std::size_t>(6 + i)] = static_cast<std::uint8_t>(data3 >> (8 * i));
  id[8] = static_cast<std::uint8_t>(clock >> 8);
  id[9] = static_cast<std::uint8_t>(clock);
  for (int i = 0; i < 6; ++i) id[static_cast<std::size_t>(10 + i)] = static_cast<std::uint8_t>(node >> (8 * (5 - i)));
  return id;
}

int VTranslator::LoadLanguage(pugi::xml_node data, int kind) {
  if (kind != 1 || !data) return 0;
  name_ = xml::attributeText(data, "name");
  std::u16string guid = xml::attributeText(data, "guid");
  if (guid.size() > 99) guid.resize(99);
  identity_ = parseBracedGuid(guid);
  contexts_.clear();
  xml::forEachChild(data, "context", [&](pugi::xml_node contextNode) {
    Context context{xml::attributeText(contextNode, "name"), {}};
    xml::forEachChild(contextNode, "message", [&](pugi::xml_node message) {
      context.entries.push_back(
          Entry{xml::textContent(xml::child(message, "source")), xml::textContent(xml::child(message, "translation"))});
    });
    std::stable_sort(context.entries.begin(), context.entries.end(),
                     [](const Entry& a, const Entry& b) { return a.source < b.source; });
    contexts_.push_back(std::move(context));
  });
  std::stable_sort(contexts_.begin(), contexts_.end(), [](const Context& a, const Context& b) { return a.name < b.name; });
  return 1;
}

const std::u16string* VTranslator::find(std::u16string_view source, std::u16string_view context) const {
  auto c = std::lower_bound(contexts_.begin(), contexts_.end(), context,
                            [](const Context& item, std::u16string_view key) { return item.name < key; });
  if (c == contexts_.end() || c->name != context) return nullptr;
  auto e = std::lower_bound(c->entries.begin(), c->entries.end(), source,
                            [](const Entry& item, std::u16string_view key) { return item.source < key; });
  if (e == c->entries.end() || e->source != source) return nullptr;
  return &e->translation;
}

int VTranslator::Lookup(std::u16string_view source, std::u16string_view context, std::u16string& out) const {
  const std::u16string* found = find(source, context);
  if (found == nullptr && !context.empty()) found = find(source, u"");  // the unnamed context of this translator
  if (found == nullptr) return 0;
  out = *found;
  return 1;
}

VTranslatorMgr::~VTranslatorMgr() { releaseAll(); }

void VTranslatorMgr::releaseAll() {
  for (IVTranslator* t : installed_) t->Release();
  installed_.clear();
}

void VTranslatorMgr::ChangeLanguage(std::u16string_view name) {
  if (name != language_) releaseAll();
  language_ = name;
}

int VTranslatorMgr::AddTranslator(IVTranslator* translator) {
  if (translator == nullptr) return 0;
  if (language_.empty()) language_ = translator->LanguageName();
  if (translator->LanguageName() != language_) return 0;
  const LanguageId identity = translator->LanguageIdentity();
  for (IVTranslator* t : installed_) {
    if (t->LanguageIdentity() == identity) return 0;
  }
  translator->AddRef();
  installed_.insert(installed_.begin(), translator);
  return 1;
}

int VTranslatorMgr::RemoveTranslator(const LanguageId& identity) {
  for (auto it = installed_.begin(); it != installed_.end(); ++it) {
    if ((*it)->LanguageIdentity() == identity) {
      (*it)->Release();
      installed_.erase(it);
      return 1;
    }
  }
  return 0;
}

std::u16string VTranslatorMgr::Translate(std::u16string_view source, std::u16string_view context) const {
  if (source.empty()) return {};
  std::u16string out;
  for (const IVTranslator* t : installed_) {
    if (t->Lookup(source, context, out) == 1) return out;
  }
  return std::u16string(source);
}

}  // namespace veneer

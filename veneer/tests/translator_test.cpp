#include "veneer/i18n/translator.h"

#include <gtest/gtest.h>

#include "veneer/xml/xml_names.h"

namespace veneer {
namespace {

// A document shaped like the product's: keys in braces, an unnamed context
// and "rt.msg"; element names in mixed case.
constexpr char kChinese[] =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<Language name=\"zh-CN\" guid=\"{3F2504E0-4F89-11D3-9A0C-0305E82C3301}\">\n"
    "  <context>\n"
    "    <message><source>{close}</source><translation>\xE5\x85\xB3\xE9\x97\xAD</translation></message>\n"
    "    <message><source>{empty}</source><translation></translation></message>\n"
    "    <message><Source>{amp}</Source><descript>ignored</descript><TRANSLATION>a &amp; b</TRANSLATION></message>\n"
    "  </context>\n"
    "  <context name=\"rt.msg\">\n"
    "    <message><source>{error}</source><translation>\xE9\x94\x99\xE8\xAF\xAF</translation></message>\n"
    "  </context>\n"
    "</Language>\n";

constexpr char kEnglish[] =
    "<language name=\"en\" guid=\"{00000000-0000-0000-0000-000000000001}\">"
    "<context><message><source>{close}</source><translation>Close</translation></message></context></language>";

VRef<IVTranslator> load(IVTranslatorMgr& manager, const char* text, pugi::xml_document& document) {
  EXPECT_TRUE(document.load_string(text));
  VRef<IVTranslator> translator = VRef<IVTranslator>::Adopt(manager.NewTranslator());
  EXPECT_EQ(translator->LoadLanguage(xml::child(document, "language"), 1), 1);
  return translator;
}

class TranslatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    chinese = load(*manager, kChinese, chineseDocument);
    ASSERT_EQ(manager->AddTranslator(chinese.get()), 1);
  }

  VRef<IVTranslatorMgr> manager = VRef<IVTranslatorMgr>::Adopt(new VTranslatorMgr);
  pugi::xml_document chineseDocument;
  VRef<IVTranslator> chinese;
};

// The unnamed context serves "rt.msg" as a fall-back, never the other way round.
TEST_F(TranslatorTest, FallBackToTheUnnamedContextOnly) {
  EXPECT_EQ(manager->Translate(u"{close}", u""), u"\u5173\u95ed");
  EXPECT_EQ(manager->Translate(u"{close}", u"rt.msg"), u"\u5173\u95ed");
  EXPECT_EQ(manager->Translate(u"{error}", u"rt.msg"), u"\u9519\u8bef");
  EXPECT_EQ(manager->Translate(u"{error}", u""), u"{error}");
}

// Keys are case-sensitive; an empty translation is a translation; an empty
// text is never looked up; entities are expanded; other children are ignored.
TEST_F(TranslatorTest, KeysAndTexts) {
  EXPECT_EQ(manager->Translate(u"{Close}", u""), u"{Close}");
  EXPECT_EQ(manager->Translate(u"{empty}", u""), u"");
  EXPECT_EQ(manager->Translate(u"", u""), u"");
  EXPECT_EQ(manager->Translate(u"{amp}", u""), u"a & b");
  EXPECT_EQ(manager->CurrentLanguage(), u"zh-CN");
  EXPECT_EQ(chinese->LanguageName(), u"zh-CN");
}

// Another language is refused until the manager changes language, which
// drops the earlier translators; the same document twice is refused.
TEST_F(TranslatorTest, LanguagesAndIdentities) {
  pugi::xml_document englishDocument;
  VRef<IVTranslator> english = load(*manager, kEnglish, englishDocument);
  EXPECT_EQ(manager->AddTranslator(english.get()), 0);

  pugi::xml_document againDocument;
  VRef<IVTranslator> again = load(*manager, kChinese, againDocument);
  EXPECT_EQ(manager->AddTranslator(again.get()), 0);

  manager->ChangeLanguage(u"en");
  EXPECT_EQ(manager->AddTranslator(english.get()), 1);
  EXPECT_EQ(manager->Translate(u"{close}", u"rt.msg"), u"Close");
  EXPECT_EQ(manager->Translate(u"{error}", u"rt.msg"), u"{error}");
  EXPECT_EQ(manager->RemoveTranslator(english->LanguageIdentity()), 1);
  EXPECT_EQ(manager->RemoveTranslator(english->LanguageIdentity()), 0);
  EXPECT_EQ(manager->Translate(u"{close}", u""), u"{close}");
}

// Nothing installed, or no manager at all: texts come back unchanged.
TEST(Translation, NothingInstalled) {
  VTranslatorMgr manager;
  EXPECT_EQ(manager.Translate(u"{close}", u""), u"{close}");
  VNullTranslator none;
  EXPECT_EQ(none.Translate(u"{close}", u"rt.msg"), u"{close}");
  EXPECT_EQ(none.CurrentLanguage(), u"");
}

// Only kind 1 loads.
TEST(Translation, OnlyKindOneLoads) {
  pugi::xml_document document;
  ASSERT_TRUE(document.load_string(kEnglish));
  VRef<IVTranslator> t = VRef<IVTranslator>::Adopt(new VTranslator);
  EXPECT_EQ(t->LoadLanguage(document.first_child(), 2), 0);
  EXPECT_EQ(t->LanguageName(), u"");
}

// The braced GUID in the platform's byte layout; anything else is all zero.
TEST(Translation, GuidIdentity) {
  const LanguageId id = parseBracedGuid(u"{3F2504E0-4F89-11D3-9A0C-0305E82C3301}");
  const LanguageId expected = {0xE0, 0x04, 0x25, 0x3F, 0x89, 0x4F, 0xD3, 0x11,
                               0x9A, 0x0C, 0x03, 0x05, 0xE8, 0x2C, 0x33, 0x01};
  EXPECT_EQ(id, expected);
  EXPECT_EQ(parseBracedGuid(u"3F2504E0-4F89-11D3-9A0C-0305E82C3301"), LanguageId{});
  EXPECT_EQ(parseBracedGuid(u"{3F2504E0-4F89-11D3-9A0C-0305E82C330G}"), LanguageId{});
  EXPECT_EQ(parseBracedGuid(u""), LanguageId{});
}

}  // namespace
}  // namespace veneer

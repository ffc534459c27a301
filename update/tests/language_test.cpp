// The language the updater loads: by the "--lang=" value, without regard to
// case, simplified Chinese by default, and keys left as they are for a
// language it does not carry.
#include <gtest/gtest.h>

#include "update/language.h"
#include "update/tests/updater_ui.h"
#include "update/update_args.h"

namespace update {
namespace {

class LanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.write("uires.idx", "<resource><i18n><file name=\"cn\" path=\"cn.xml\"/><file name=\"hk\" path=\"hk.xml\"/>"
                              "<file name=\"us\" path=\"us.xml\"/><file name=\"bad\" path=\"bad.xml\"/></i18n></resource>");
    for (const char* name : {"cn", "hk", "us"}) {
      folder.write(std::string(name) + ".xml", testing::readResource(std::string("i18n_") + name + ".xml"));
    }
    folder.write("bad.xml", "<language name=\"x\"><context><message>");
    provider = veneer::VRef<veneer::IResProvider>::Adopt(folder.attach());
    ui.Providers().AddProvider(provider.get());
  }

  std::u16string messageBoxText(const std::vector<std::u16string>& tokens) {
    const UpdateArgs args = ParseUpdateArgs(tokens);
    InstallLanguage(ui, LanguageResourceId(args));
    return ui.Translations().Translate(u"{lose args}", u"rt.msg") + u"|" +
           ui.Translations().Translate(u"{error}", u"rt.msg");
  }

  veneer::testing::ResourceFolder folder{"language"};
  veneer::VRef<veneer::IVTranslatorMgr> manager = veneer::VRef<veneer::IVTranslatorMgr>::Adopt(new veneer::VTranslatorMgr);
  veneer::VUiContext ui{nullptr, manager.get()};
  veneer::VRef<veneer::IResProvider> provider;
};

TEST_F(LanguageTest, UpperCaseValueFindsTheSameResource) {
  EXPECT_EQ(messageBoxText({u"update.exe", u"--lang=US"}), u"Lose Args|Error");
}

TEST_F(LanguageTest, NoOrBlankLanguageGivesSimplifiedChinese) {
  EXPECT_EQ(messageBoxText({u"update.exe", u"--lang=   "}), u"启动参数不足|错误");
}

TEST_F(LanguageTest, TraditionalChinese) {
  EXPECT_EQ(messageBoxText({u"update.exe", u"--lang=hk"}), u"啟動參數不足|錯誤");
}

// A language the program does not carry, or a malformed document, installs nothing.
TEST_F(LanguageTest, UnknownOrMalformedLanguageLeavesKeys) {
  EXPECT_EQ(messageBoxText({u"update.exe", u"--lang=fr"}), u"{lose args}|{error}");
  EXPECT_FALSE(InstallLanguage(ui, u"I18N:bad"));
  EXPECT_EQ(ui.Translations().Translate(u"{net error}", u"rt.msg"), u"{net error}");
}

}  // namespace
}  // namespace update

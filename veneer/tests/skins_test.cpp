// Colours, skins by scale, style classes and the UI definitions document.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "veneer/core/toolkit_log.h"
#include "veneer/core/ui_context.h"
#include "veneer/res/res_provider_mgr.h"
#include "veneer/skin/colour.h"
#include "veneer/skin/font_description.h"
#include "veneer/skin/ui_definitions.h"
#include "veneer/tests/resource_folder.h"

namespace veneer {
namespace {

using testing::pngOf;
using testing::ResourceFolder;

TEST(Colours, Forms) {
  EXPECT_EQ(parseColour(u"#ffffff"), 0xFFFFFFFFu);  // opaque white
  EXPECT_EQ(parseColour(u"#FF000080"), makeColour(255, 0, 0, 0x80));
  EXPECT_EQ(parseColour(u"#102030"), 0xFF302010u);  // alpha, blue, green, red
  EXPECT_EQ(parseColour(u"RGB(1, 2,3)"), makeColour(1, 2, 3));
  EXPECT_EQ(parseColour(u"rgba(1,2,3,4)"), makeColour(1, 2, 3, 4));
  EXPECT_FALSE(parseColour(u"#ff"));
  EXPECT_FALSE(parseColour(u"red"));
  EXPECT_FALSE(parseColour(u"rgb(1,2)"));
  EXPECT_FALSE(parseColour(u""));
  const NamedColourLookup named = [](std::u16string_view name) -> std::optional<Colour> {
    if (name == u"text") return makeColour(9, 9, 9);
    return std::nullopt;
  };
  EXPECT_EQ(parseColour(u"@color/text", named), makeColour(9, 9, 9));
  EXPECT_EQ(parseColour(u"@color/missing", named), kNoNamedColour);
}

TEST(Skins, StandardScalesAndRounding) {
  EXPECT_EQ(standardScaleOf(90), 100);
  EXPECT_EQ(standardScaleOf(124), 100);
  EXPECT_EQ(standardScaleOf(175), 150);
  EXPECT_EQ(standardScaleOf(250), 250);
  EXPECT_EQ(standardScaleOf(400), 300);
  EXPECT_EQ(scaleRounded(5, 250, 100), 13);  // 12.5 away from zero
  EXPECT_EQ(scaleRounded(-5, 250, 100), -13);
  EXPECT_EQ(scaleRounded(14, 150, 100), 21);
}

// A UI definitions document in a resource folder, with images made here.
class DefinitionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.write("uires.idx",
                 "<resource><UIDEF><file name=\"xml_init\" path=\"init.xml\"/><file name=\"skins\" path=\"skins.xml\"/>"
                 "<file name=\"broken\" path=\"broken.xml\"/><file name=\"noroot\" path=\"noroot.xml\"/></UIDEF>"
                 "<IMGS><file name=\"btn\" path=\"btn.png\"/><file name=\"frame\" path=\"frame.png\"/></IMGS>"
                 "</resource>");
    folder.write("btn.png", pngOf(60, 20, 0xFF0000FFu));
    folder.write("frame.png", pngOf(40, 40, 0x00FF00FFu));
    folder.write("broken.xml", "<UIDEF><skin>");
    folder.write("noroot.xml", "<other/>");
    folder.write("skins.xml",
                 "<Skin>"
                 "<imgframe name=\"@string/frameName\" src=\"IMGS:frame\" states=\"1\" margin=\"5,5,5,5\"/>"
                 "<imgframe name=\"@string/frameName\" src=\"IMGS:frame\" scale=\"125\" margin=\"6,6,6,6\"/>"
                 "<imgframe name=\"@string/frameName\" src=\"IMGS:frame\" scale=\"150\" margin=\"7,7,7,7\"/>"
                 "<imgframe name=\"@string/frameName\" src=\"IMGS:frame\" scale=\"200\" margin=\"10,10,10,10\"/>"
                 "<imglist name=\"btn\" src=\"IMGS:btn\" states=\"3\"/>"
                 "<imglist name=\"btn\" src=\"IMGS:btn\" states=\"4\"/>"
                 "<imglist name=\"column\" src=\"IMGS:btn\" states=\"4\" vertical=\"1\" filterLevel=\"high\"/>"
                 "<gradient name=\"unknown\"/>"
                 "</Skin>");
    folder.write("init.xml",
                 "<UIDEF><font face=\"Tahoma\" size=\"9\" bold=\"1\"/>"
                 "<string><frameName value=\"frame\"/><title value=\"{title}\"/></string>"
                 "<color><text value=\"#112233\"/></color>"
                 "<skin src=\"uidef:skins\"/>"
                 "<style><class name=\"cls_prog\" max=\"100\" layout=\"width:full\" class=\"ignored\" min=\"1\"/>"
                 "<class name=\"cls_prog\" max=\"5\"/></style>"
                 "<objattr><progress2 min=\"0\"/></objattr></UIDEF>");
    provider = VRef<IResProvider>::Adopt(folder.attach(decoder.get()));
    providers.AddProvider(provider.get());
    SetToolkitLogSink([this](std::string_view tag, int level, std::string_view text, const LogSite&) {
      warnings.push_back(std::string(tag) + "/" + std::to_string(level) + ": " + std::string(text));
      return true;
    });
  }
  void TearDown() override { SetToolkitLogSink({}); }

  std::unique_ptr<VUiDefinitions> load(std::u16string_view id) {
    return LoadUiDefinitions(providers, *provider, id, skinManager, styleManager);
  }

  ResourceFolder folder{"uidef"};
  VRef<IImageDecoder> decoder = VRef<IImageDecoder>::Adopt(CreateImageDecoder("imgdecoder-stb"));
  VResProviderMgr providers{decoder.get()};
  VRef<IResProvider> provider;
  VSkinPoolMgr skinManager;
  VStylePoolMgr styleManager;
  std::vector<std::string> warnings;
};

// Four scales of one skin: exact, standard and a stored copy of the 100 entry at 250.
TEST_F(DefinitionsTest, SkinByScale) {
  auto definitions = load(u"uidef:xml_init");
  ASSERT_TRUE(definitions);
  auto marginOf = [&](int scale) {
    auto* skin = dynamic_cast<VSkinImgFrame*>(skinManager.GetSkin(u"frame", scale));
    return skin ? skin->GetMargins().left : -1;
  };
  EXPECT_EQ(marginOf(125), 6);
  EXPECT_EQ(marginOf(175), 7);
  EXPECT_EQ(marginOf(90), 5);
  EXPECT_EQ(definitions->skins->Find({u"frame", 250}), nullptr);
  auto* enlarged = dynamic_cast<VSkinImgFrame*>(skinManager.GetSkin(u"frame", 250));
  ASSERT_NE(enlarged, nullptr);
  EXPECT_EQ(enlarged->GetMargins(), (Margins{13, 13, 13, 13}));
  EXPECT_EQ(enlarged->Scale(), 250);
  EXPECT_EQ(enlarged->Image()->Width(), 100);  // 40 × 2.5
  EXPECT_EQ(enlarged->Image()->Pixels()[0], 0xFF00FF00u);
  EXPECT_EQ(definitions->skins->Find({u"frame", 250}), enlarged);  // stored for later lookups
  EXPECT_EQ(skinManager.GetSkin(u"frame", 250), enlarged);
  EXPECT_EQ(skinManager.GetSkin(u"nothing", 100), nullptr);
}

// States divide the image along their direction; a duplicate key keeps the first.
TEST_F(DefinitionsTest, StatesAndDuplicates) {
  auto definitions = load(u"uidef:xml_init");
  ASSERT_TRUE(definitions);
  auto* row = dynamic_cast<VSkinImgList*>(skinManager.GetSkin(u"btn", 100));
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->States(), 3);
  EXPECT_EQ(row->StateWidth(), 20);
  EXPECT_EQ(row->StateHeight(), 20);
  auto* column = dynamic_cast<VSkinImgList*>(skinManager.GetSkin(u"column", 100));
  ASSERT_NE(column, nullptr);
  EXPECT_EQ(column->StateWidth(), 60);
  EXPECT_EQ(column->StateHeight(), 5);
  EXPECT_EQ(column->FilterLevel(), 3);
  EXPECT_EQ(warnings, std::vector<std::string>{"veneer/3: Warning: no ojbect gradient of type:1 in VENEER!!"});
}

// Named strings and colours, the font, styles (first definition wins, "layout"
// first, never "class"), and per-class defaults.
TEST_F(DefinitionsTest, StringsColoursFontStyles) {
  auto definitions = load(u"UIDEF:XML_INIT");
  ASSERT_TRUE(definitions);
  EXPECT_EQ(definitions->ResolveText(u"@string/title"), u"{title}");
  EXPECT_EQ(definitions->ResolveText(u"@string/none"), u"");
  EXPECT_EQ(definitions->ResolveText(u"plain"), u"plain");
  EXPECT_EQ(definitions->NamedColour(u"text"), makeColour(0x11, 0x22, 0x33));
  EXPECT_EQ(definitions->font.face, u"Tahoma");
  EXPECT_EQ(definitions->font.size, 9);
  EXPECT_EQ(definitions->font.charset, 1);
  EXPECT_TRUE(definitions->font.bold);

  const auto attributes = StyleAttributes(styleManager.FindStyle(u"cls_prog"));
  const std::vector<std::pair<std::string, std::u16string>> expected = {
      {"layout", u"width:full"}, {"max", u"100"}, {"min", u"1"}};
  EXPECT_EQ(attributes, expected);
  EXPECT_FALSE(styleManager.FindStyle(u"missing"));
  EXPECT_STREQ(definitions->ClassDefaults("progress2").attribute("min").value(), "0");
  EXPECT_FALSE(definitions->ClassDefaults("progress"));
}

// The order attributes are applied in: the element's "layout", then its
// class's ("layout" first), then the element's others, so that a window's
// own attribute wins over its class; "class" itself is never applied.
TEST_F(DefinitionsTest, OwnAttributeWinsOverItsClass) {
  auto definitions = load(u"uidef:xml_init");
  ASSERT_TRUE(definitions);
  pugi::xml_document layout;
  ASSERT_TRUE(layout.load_string("<progress2 max=\"300\" class=\"cls_prog\" layout=\"linearLayout\" pos=\"0,0\"/>"));
  const std::vector<std::pair<std::string, std::u16string>> expected = {
      {"layout", u"linearLayout"}, {"layout", u"width:full"}, {"max", u"100"}, {"min", u"1"},
      {"max", u"300"},             {"pos", u"0,0"}};
  EXPECT_EQ(AttributesInApplyOrder(layout.first_child(), styleManager), expected);
}

// Images decode into bitmaps of the render factory that is set.
TEST_F(DefinitionsTest, RenderFactoryHook) {
  struct CountingFactory final : TRenderFactoryImpl<IRenderFactory> {
    int made = 0;
    IBitmap* CreateBitmap() override {
      ++made;
      return new VBitmap;
    }
  };
  VRef<CountingFactory> factory = VRef<CountingFactory>::Adopt(new CountingFactory);
  SetRenderFactory(factory.get());
  VRef<IBitmap> image = VRef<IBitmap>::Adopt(providers.LoadImageById(u"IMGS:btn"));
  SetRenderFactory(nullptr);
  EXPECT_TRUE(image);
  EXPECT_EQ(factory->made, 1);
}

// The four warnings of the loading steps.
TEST_F(DefinitionsTest, LoadingWarnings) {
  EXPECT_FALSE(load(u"xml_init"));
  EXPECT_FALSE(load(u"uidef:missing"));
  EXPECT_FALSE(load(u"uidef:broken"));
  EXPECT_FALSE(load(u"uidef:noroot"));
  EXPECT_EQ(warnings, (std::vector<std::string>{
                          "veneer/3: warning!!!! Add ResProvider Error.",
                          "veneer/3: warning!!!! uidef was not found in the specified resprovider",
                          "veneer/3: warning!!! load uidef as xml document failed",
                          "veneer/3: warning!!! \"uidef\" element is not the root element of uidef xml"}));
}

// Adding the provider with the definitions id makes them the current ones;
// texts translate through the manager handed in, or stay as they are without one.
TEST_F(DefinitionsTest, ContextAddsProviderWithDefinitions) {
  VUiContext context(decoder.get(), nullptr);
  EXPECT_TRUE(context.AddProvider(provider.get(), u"uidef:xml_init"));
  ASSERT_NE(context.Definitions(), nullptr);
  EXPECT_EQ(context.Definitions()->ResolveText(u"@string/title"), u"{title}");
  EXPECT_NE(context.Skins().GetSkin(u"btn", 100), nullptr);
  EXPECT_EQ(context.Translations().Translate(u"{title}", u""), u"{title}");
  EXPECT_FALSE(context.AddProvider(provider.get(), u"no colon"));
  EXPECT_NE(context.Definitions(), nullptr);  // the earlier definitions stay
  EXPECT_EQ(context.Providers().FindProvider(u"uidef", u"xml_init"), provider.get());
}

// Font descriptions: pairs lower-cased, odd pairs ignored, size at the scale,
// otherwise the default size at the scale plus "adding".
TEST(FontDescriptions, Parsing) {
  DefaultFont defaults;
  defaults.face = u"Tahoma";
  defaults.size = 12;
  const FontDescription sized = parseFontDescription(u"Face:Arial,SIZE:14dp,bold:1,odd,a:b:c,weight:heavy", defaults, 150);
  EXPECT_EQ(sized.face, u"arial");
  EXPECT_EQ(sized.height, 21);
  EXPECT_TRUE(sized.bold);
  EXPECT_EQ(sized.extra.at(u"weight"), u"heavy");
  EXPECT_EQ(sized.extra.count(u"a"), 0u);
  const FontDescription added = parseFontDescription(u"adding:2dp,italic:0", defaults, 125);
  EXPECT_EQ(added.face, u"Tahoma");
  EXPECT_EQ(added.height, 15 + 3);  // 12 × 1.25, then 2dp at 125 rounded half up
  EXPECT_FALSE(added.italic);
}

// Without definitions the default font is size 12, charset 1, face 宋体.
TEST(Definitions, DefaultFont) {
  DefaultFont font;
  EXPECT_EQ(font.size, 12);
  EXPECT_EQ(font.charset, 1);
  EXPECT_EQ(font.face, u"\u5b8b\u4f53");
}

}  // namespace
}  // namespace veneer

// The embedded-resource provider over this test program's own resources,
// and GDI+ decoding, against Wine's real APIs.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "common/utf.h"
#include "tests/wine_limits_win.h"
#include "veneer/res/res_provider_mgr.h"
#include "veneer/res/res_provider_pe_win.h"
#include "veneer/xml/xml_names.h"

namespace veneer {
namespace {

std::string fixture(const char* name) {
  std::ifstream in(std::string(FIXTURES_DIR) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class EmbeddedProviderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(decoder);
    ASSERT_TRUE(provider->Attach(ProviderSource{GetModuleHandleW(nullptr), {}}));
  }
  VRef<IImageDecoder> decoder = VRef<IImageDecoder>::Adopt(CreateImageDecoder("imgdecoder-gdip"));
  VRef<IResProvider> provider = VRef<IResProvider>::Adopt(new VResProviderPE(decoder.get()));
};

// Lower-case ids find the upper-case names of language 2052, byte for byte.
TEST_F(EmbeddedProviderTest, ReadsByLowerCaseIds) {
  const std::string expected = fixture("init.xml");
  ASSERT_FALSE(expected.empty());
  EXPECT_TRUE(provider->HasRes(u"uidef", u"xml_init"));
  ASSERT_EQ(provider->RawSize(u"uidef", u"xml_init"), expected.size());
  std::string bytes(expected.size(), '\0');
  std::uint32_t error = 0;
  ASSERT_TRUE(provider->ReadRaw(u"UiDef", u"Xml_Init", bytes.data(), bytes.size(), error));
  EXPECT_EQ(bytes, expected);

  SetLastError(0);
  EXPECT_FALSE(provider->ReadRaw(u"uidef", u"xml_init", bytes.data(), bytes.size() - 1, error));
  EXPECT_EQ(error, static_cast<std::uint32_t>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_FALSE(provider->HasRes(u"uidef", u"missing"));
  EXPECT_EQ(provider->RawSize(u"layout", u"xml_init"), 0u);
}

// "IMGS125" and "IMGS" are different types.
TEST_F(EmbeddedProviderTest, ScaleTypesAreDistinct) {
  EXPECT_EQ(provider->RawSize(u"imgs", u"quad_png"), fixture("quad.png").size());
  EXPECT_EQ(provider->RawSize(u"imgs125", u"quad_png"), fixture("init.xml").size());
  EXPECT_FALSE(provider->HasRes(u"imgs150", u"quad_png"));
}

// The definitions document parses from the resource, Chinese text intact.
TEST_F(EmbeddedProviderTest, XmlThroughTheProviderList) {
  VResProviderMgr providers(decoder.get());
  providers.AddProvider(provider.get());
  pugi::xml_document document;
  ASSERT_TRUE(LoadXmlResource(providers, document, u"uidef:xml_init"));
  pugi::xml_node title = xml::child(xml::child(xml::child(document, "uidef"), "string"), "title");
  EXPECT_EQ(xml::attributeText(title, "value"), u"\u5173\u95ed");
}

// GDI+ decodes the PNG resource with the right pixels, alpha included.
TEST_F(EmbeddedProviderTest, GdiplusDecodesThePng) {
  if (!tests::gdiplusDecodesPng()) GTEST_SKIP() << tests::kNoPngReason;
  VRef<IBitmap> image = VRef<IBitmap>::Adopt(provider->LoadImageRes(u"IMGS", u"quad_png"));
  ASSERT_TRUE(image);
  ASSERT_EQ(image->Width(), 4);
  ASSERT_EQ(image->Height(), 2);
  const std::uint32_t* p = image->Pixels();
  EXPECT_EQ(p[0], 0xFFFF0000u);
  EXPECT_EQ(p[2], 0xFF00FF00u);
  EXPECT_EQ(p[4], 0x800000FFu);
  EXPECT_EQ(p[7], 0xFFFFFFFFu);
  VRef<IImageFrames> frames = VRef<IImageFrames>::Adopt(provider->LoadImageFramesRes(u"imgs", u"quad_png"));
  ASSERT_TRUE(frames);
  EXPECT_EQ(frames->FrameCount(), 1);
  EXPECT_FALSE(provider->LoadImageRes(u"imgs125", u"quad_png"));  // an XML file is no image
}

}  // namespace
}  // namespace veneer

// ResourceIds, the folder provider and the provider list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "common/utf.h"
#include "veneer/res/background_decoding.h"
#include "veneer/res/res_provider_files.h"
#include "veneer/res/res_provider_mgr.h"
#include "veneer/res/resource_id.h"
#include "veneer/tests/resource_folder.h"

namespace veneer {
namespace {

using testing::ResourceFolder;
using testing::pngOf;

TEST(ResourceIds, SplitAtTheFirstColon) {
  const auto id = splitResourceId(u"uidef:xml_init");
  ASSERT_TRUE(id);
  EXPECT_EQ(id->type, u"uidef");
  EXPECT_EQ(id->name, u"xml_init");
  const auto path = splitResourceId(u"file:C:\\skins\\a:b.png");
  EXPECT_EQ(path->name, u"C:\\skins\\a:b.png");
  EXPECT_FALSE(splitResourceId(u"main_view"));
  EXPECT_TRUE(isFileType(u"FiLe"));
  EXPECT_FALSE(isFileType(u"files"));
}

constexpr char kIndex[] =
    "<resource><UIDEF><file name=\"XML_INIT\" path=\"defs/init.xml\"/></UIDEF>"
    "<imgs><file name=\"update_bk_png\" path=\"bk.png\"/></imgs>"
    "<IMGS125><File Name=\"image_btn_close_png\" Path=\"close125.png\"/></IMGS125></resource>";

// Types and names match without regard to case; "IMGS125" and "IMGS" are different types.
TEST(FolderProvider, IndexLookups) {
  ResourceFolder folder("index");
  folder.write("uires.idx", kIndex);
  folder.write("defs/init.xml", "<UIDEF/>");
  VRef<IResProvider> provider = VRef<IResProvider>::Adopt(folder.attach());
  EXPECT_TRUE(provider->HasRes(u"uidef", u"xml_init"));
  EXPECT_TRUE(provider->HasRes(u"IMGS", u"UPDATE_BK_PNG"));
  EXPECT_TRUE(provider->HasRes(u"imgs125", u"image_btn_close_png"));
  EXPECT_FALSE(provider->HasRes(u"IMGS", u"image_btn_close_png"));
  EXPECT_EQ(provider->RawSize(u"UIDEF", u"XML_INIT"), 8u);
  EXPECT_EQ(provider->RawSize(u"IMGS", u"update_bk_png"), 0u);  // listed, but no such file
  EXPECT_EQ(provider->RawSize(u"IMGS", u"missing"), 0u);
}

// Capacity equal to the size succeeds; one byte less fails with ERROR_INSUFFICIENT_BUFFER and copies nothing.
TEST(FolderProvider, ReadRawCapacity) {
  ResourceFolder folder("raw");
  folder.write("uires.idx", kIndex);
  folder.write("defs/init.xml", "<UIDEF/>");
  VRef<IResProvider> provider = VRef<IResProvider>::Adopt(folder.attach());
  char buffer[16] = "xxxxxxxxxxxxxxx";
  std::uint32_t error = 0;
  EXPECT_FALSE(provider->ReadRaw(u"uidef", u"xml_init", buffer, 7, error));
  EXPECT_EQ(error, kErrorInsufficientBuffer);
  EXPECT_EQ(std::string(buffer, 8), "xxxxxxxx");
  EXPECT_TRUE(provider->ReadRaw(u"uidef", u"xml_init", buffer, 8, error));
  EXPECT_EQ(std::string(buffer, 8), "<UIDEF/>");
}

// Two providers with the same resource: the one added later serves it.
TEST(ProviderList, LaterProviderWins) {
  ResourceFolder first("first");
  ResourceFolder second("second");
  for (ResourceFolder* f : {&first, &second}) f->write("uires.idx", kIndex);
  first.write("defs/init.xml", "<UIDEF first=\"1\"/>");
  second.write("defs/init.xml", "<UIDEF second=\"1\"/>");
  VResProviderMgr providers;
  VRef<IResProvider> a = VRef<IResProvider>::Adopt(first.attach());
  VRef<IResProvider> b = VRef<IResProvider>::Adopt(second.attach());
  providers.AddProvider(a.get());
  providers.AddProvider(b.get());
  EXPECT_EQ(providers.FindProvider(u"UIDEF", u"xml_init"), b.get());
  pugi::xml_document document;
  ASSERT_TRUE(LoadXmlResource(providers, document, u"uidef:xml_init"));
  EXPECT_TRUE(document.first_child().attribute("second"));
  EXPECT_EQ(providers.FindProvider(u"IMGS", u"nothing"), nullptr);
}

// Providers by kind: 1 a folder's, 0 the platform's embedded resources
// (none off Windows), any other number none. Cursors by name: a number below
// 65536 is the platform's standard cursor, any other name the provider's,
// loaded once; icons by "name" or "name:size".
TEST(ProviderList, KindsCursorsAndIcons) {
  VRef<IResProvider> folder = VRef<IResProvider>::Adopt(CreateResProvider(kProviderFolder, nullptr));
  EXPECT_TRUE(folder);
#ifdef _WIN32
  EXPECT_TRUE(VRef<IResProvider>::Adopt(CreateResProvider(kProviderEmbedded, nullptr)));
#else
  EXPECT_EQ(CreateResProvider(kProviderEmbedded, nullptr), nullptr);
#endif
  EXPECT_EQ(CreateResProvider(2, nullptr), nullptr);

  struct Recording final : TObjRefImpl<IResProvider> {
    std::vector<std::string> calls;
    int handles = 0;
    bool Attach(const ProviderSource&) override { return true; }
    bool HasRes(std::u16string_view type, std::u16string_view name) override {
      return (type == u"CURSOR" || type == u"ICON") && name != u"missing";
    }
    void* LoadIconRes(std::u16string_view name, int width, int height) override {
      calls.push_back("icon " + common::utf16ToUtf8(name) + " " + std::to_string(width) + "x" + std::to_string(height));
      return reinterpret_cast<void*>(static_cast<std::uintptr_t>(++handles));
    }
    void* LoadBitmapRes(std::u16string_view) override { return nullptr; }
    void* LoadCursorRes(std::u16string_view name) override {
      calls.push_back("cursor " + common::utf16ToUtf8(name));
      return reinterpret_cast<void*>(static_cast<std::uintptr_t>(++handles));
    }
    IBitmap* LoadImageRes(std::u16string_view, std::u16string_view) override { return nullptr; }
    IImageFrames* LoadImageFramesRes(std::u16string_view, std::u16string_view) override { return nullptr; }
    std::size_t RawSize(std::u16string_view, std::u16string_view) override { return 0; }
    bool ReadRaw(std::u16string_view, std::u16string_view, void*, std::size_t, std::uint32_t&) override { return false; }
  };
  VRef<Recording> recording = VRef<Recording>::Adopt(new Recording);
  VResProviderMgr providers;
  providers.AddProvider(recording.get());
  std::vector<int> standard;
  providers.SetStandardCursorLoader([&](int id) {
    standard.push_back(id);
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(id));
  });
  EXPECT_EQ(providers.LoadCursorByName(u"32649"), reinterpret_cast<void*>(32649));
  void* hand = providers.LoadCursorByName(u"Hand_Cur");
  EXPECT_NE(hand, nullptr);
  EXPECT_EQ(providers.LoadCursorByName(u"hand_cur"), hand);  // from the cache
  EXPECT_EQ(providers.LoadCursorByName(u"65536"), providers.LoadCursorByName(u"65536"));  // no standard id
  EXPECT_EQ(providers.LoadCursorByName(u"missing"), nullptr);
  EXPECT_NE(providers.LoadIconByName(u"app:48", 32), nullptr);
  providers.LoadIconByName(u"app", 32);
  providers.LoadIconByName(u"a:b", 16);  // no size after the last ':': all of it is the name
  EXPECT_EQ(standard, std::vector<int>{32649});
  EXPECT_EQ(recording->calls, (std::vector<std::string>{"cursor Hand_Cur", "cursor 65536", "icon app 48x48",
                                                        "icon app 32x32", "icon a:b 16x16"}));
}

// The XML loader: no ':' fails, a missing or empty resource fails, a document
// that does not parse completely fails; the "file" type reads a path.
TEST(ProviderList, XmlLoading) {
  ResourceFolder folder("xml");
  folder.write("uires.idx", kIndex);
  folder.write("defs/init.xml", "<UIDEF><unclosed></UIDEF>");
  folder.write("plain.xml", "<language name=\"en\"/>");
  VResProviderMgr providers;
  VRef<IResProvider> provider = VRef<IResProvider>::Adopt(folder.attach());
  providers.AddProvider(provider.get());
  pugi::xml_document document;
  EXPECT_FALSE(LoadXmlResource(providers, document, u"xml_init"));
  EXPECT_FALSE(LoadXmlResource(providers, document, u"uidef:xml_init"));
  EXPECT_FALSE(LoadXmlResource(providers, document, u"I18N:cn"));
  EXPECT_TRUE(LoadXmlResource(providers, document, u"FILE:" + common::utf8ToUtf16(folder.file("plain.xml"))));
  EXPECT_STREQ(document.first_child().name(), "language");
}

// Images decode through the application's decoder, by provider or by file.
TEST(ProviderList, ImagesById) {
  ResourceFolder folder("img");
  folder.write("uires.idx", kIndex);
  folder.write("bk.png", pngOf(3, 2, 0x336699FFu));
  VRef<IImageDecoder> decoder = VRef<IImageDecoder>::Adopt(CreateImageDecoder("imgdecoder-stb"));
  ASSERT_TRUE(decoder);
  VResProviderMgr providers(decoder.get());
  VRef<IResProvider> provider = VRef<IResProvider>::Adopt(folder.attach(decoder.get()));
  providers.AddProvider(provider.get());
  VRef<IBitmap> image = VRef<IBitmap>::Adopt(providers.LoadImageById(u"imgs:UPDATE_BK_PNG"));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->Width(), 3);
  EXPECT_EQ(image->Height(), 2);
  EXPECT_EQ(image->Pixels()[5], 0xFF336699u);
  VRef<IBitmap> byFile =
      VRef<IBitmap>::Adopt(providers.LoadImageById(u"file:" + common::utf8ToUtf16(folder.file("bk.png"))));
  EXPECT_TRUE(byFile);
  EXPECT_FALSE(providers.LoadImageById(u"imgs125:update_bk_png"));
  EXPECT_FALSE(providers.LoadImageById(u"nocolon"));

  folder.write("bk.png", "not a png");
  EXPECT_FALSE(providers.LoadImageById(u"IMGS:update_bk_png"));

  // The four decoder names each give a decoder that reads the image; any other
  // name, the same in other case among them, gives none.
  const std::string png = pngOf(3, 2, 0x336699FFu);
  for (const char* name : {"imgdecoder-wic", "imgdecoder-stb", "imgdecoder-png", "imgdecoder-gdip"}) {
    SCOPED_TRACE(name);
    VRef<IImageDecoder> named = VRef<IImageDecoder>::Adopt(CreateImageDecoder(name));
    ASSERT_TRUE(named);
    VRef<IBitmap> decoded = VRef<IBitmap>::Adopt(DecodeBitmap(named.get(), png.data(), png.size()));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->Pixels()[5], 0xFF336699u);
  }
  EXPECT_EQ(CreateImageDecoder("imgdecoder-none"), nullptr);
  EXPECT_EQ(CreateImageDecoder("imgdecoder-GDIP"), nullptr);
}

// A PNG handed out before it is decoded has its header's size at once and the
// same pixels as one decoded in place; a PNG whose chunks are not intact (the
// pixels overwritten, or cut short) and what is not a PNG are decoded in
// place, and so give no bitmap.
TEST(BackgroundDecoding, SizeAtOncePixelsWhenDecoded) {
  const std::string png = pngOf(3, 2, 0x336699FFu);
  const auto withByte = [&](std::size_t at, char value) {
    std::string changed = png;
    changed[at] = value;
    return changed;
  };
  ASSERT_TRUE(PngHeaderSize(png.data(), png.size()));
  EXPECT_EQ(PngHeaderSize(png.data(), png.size())->width, 3);
  EXPECT_EQ(PngHeaderSize(png.data(), png.size())->height, 2);
  EXPECT_FALSE(PngHeaderSize(png.data(), 23));
  EXPECT_FALSE(PngHeaderSize(withByte(1, 'Q').data(), png.size()));   // signature
  EXPECT_FALSE(PngHeaderSize(withByte(12, 'i').data(), png.size()));  // not IHDR first
  EXPECT_FALSE(PngHeaderSize(withByte(19, 0).data(), png.size()));    // width 0
  EXPECT_FALSE(PngHeaderSize(withByte(17, 0x40).data(), png.size()));  // width over 16384

  VRef<IImageDecoder> decoder = VRef<IImageDecoder>::Adopt(CreateImageDecoder("imgdecoder-stb"));
  std::string broken = png;
  for (std::size_t i = 41; i < broken.size() - 12; ++i) broken[i] = 'x';  // the compressed pixels
  const std::string notPng = "not a png";
  EXPECT_TRUE(PngChunksIntact(png.data(), png.size()));
  EXPECT_FALSE(PngChunksIntact(broken.data(), broken.size()));
  EXPECT_FALSE(PngChunksIntact(png.data(), png.size() - 1));  // IEND cut short
  VRef<IBitmap> image;
  {
    BackgroundDecoding background;
    image = VRef<IBitmap>::Adopt(background.Decode(decoder.get(), png.data(), png.size()));
    EXPECT_EQ(background.Decode(decoder.get(), broken.data(), broken.size()), nullptr);
    EXPECT_EQ(background.Decode(decoder.get(), png.data(), png.size() - 20), nullptr);
    EXPECT_EQ(background.Decode(decoder.get(), notPng.data(), notPng.size()), nullptr);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Width(), 3);
  }  // finishes what it was given before it ends
  VRef<IBitmap> inPlace = VRef<IBitmap>::Adopt(DecodeBitmap(decoder.get(), png.data(), png.size()));
  ASSERT_TRUE(inPlace);
  EXPECT_TRUE(std::equal(image->Pixels(), image->Pixels() + 6, inPlace->Pixels()));
  EXPECT_EQ(image->Pixels()[5], 0xFF336699u);
}

}  // namespace
}  // namespace veneer

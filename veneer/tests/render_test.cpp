// The software back end: fills, state images, nine-part skins, text placement and clipping.
#include <gtest/gtest.h>

#include "veneer/render/render_target.h"
#include "veneer/res/res_provider_mgr.h"
#include "veneer/skin/skin.h"
#include "veneer/tests/resource_folder.h"

namespace veneer {
namespace {

using testing::pngOf;
using testing::ResourceFolder;

constexpr std::uint32_t kRed = 0xFFFF0000u;
constexpr std::uint32_t kBlue = 0xFF0000FFu;

// A 3-state, 30 × 10 image: state 0 red, 1 green, 2 blue; and a 9 × 9 frame
// whose 3-pixel border is red around a blue centre.
class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::uint32_t> states(30 * 10);
    for (int y = 0; y < 10; ++y) {
      for (int x = 0; x < 30; ++x) states[y * 30 + x] = x < 10 ? 0xFF0000FFu : x < 20 ? 0x00FF00FFu : 0x0000FFFFu;
    }
    folder.write("uires.idx", "<resource><imgs><file name=\"states\" path=\"states.png\"/>"
                              "<file name=\"frame\" path=\"frame.png\"/></imgs></resource>");
    folder.write("states.png", pngOfPixels(30, 10, states));
    std::vector<std::uint32_t> frame(9 * 9);
    for (int y = 0; y < 9; ++y) {
      for (int x = 0; x < 9; ++x) frame[y * 9 + x] = (x >= 3 && x < 6 && y >= 3 && y < 6) ? 0x0000FFFFu : 0xFF0000FFu;
    }
    folder.write("frame.png", pngOfPixels(9, 9, frame));
    provider = VRef<IResProvider>::Adopt(folder.attach(decoder.get()));
    providers.AddProvider(provider.get());
  }

  static std::string pngOfPixels(int width, int height, const std::vector<std::uint32_t>& rgba) {
    std::vector<unsigned char> bytes;
    for (std::uint32_t p : rgba) {
      bytes.insert(bytes.end(), {static_cast<unsigned char>(p >> 24), static_cast<unsigned char>(p >> 16),
                                 static_cast<unsigned char>(p >> 8), static_cast<unsigned char>(p)});
    }
    std::string out;
    stbi_write_png_to_func([](void* c, void* d, int n) { static_cast<std::string*>(c)->append(static_cast<char*>(d), n); },
                           &out, width, height, 4, bytes.data(), width * 4);
    return out;
  }

  template <class Skin>
  VRef<Skin> skin(const char* className, std::initializer_list<std::pair<const char*, const char16_t*>> attributes) {
    VRef<Skin> s = VRef<Skin>::Adopt(static_cast<Skin*>(CreateSkin(className)));
    const SkinContext context{&providers, {}};
    for (const auto& [name, value] : attributes) EXPECT_TRUE(s->SetAttribute(name, value, context)) << name;
    return s;
  }

  ResourceFolder folder{"render"};
  VRef<IImageDecoder> decoder = VRef<IImageDecoder>::Adopt(CreateImageDecoder("imgdecoder-stb"));
  VResProviderMgr providers{decoder.get()};
  VRef<IResProvider> provider;
};

TEST_F(RenderTest, FillAndClip) {
  SoftwareRenderTarget target(20, 10);
  target.PushClip(WindowRect{5, 0, 20, 10});
  target.FillRect(WindowRect{0, 0, 10, 10}, makeColour(255, 0, 0));
  target.PopClip();
  EXPECT_EQ(target.Pixel(4, 5), 0xFF000000u);
  EXPECT_EQ(target.Pixel(5, 5), kRed);
  target.FillRect(WindowRect{10, 0, 20, 10}, makeColour(0, 0, 255, 128));  // half blue over black
  EXPECT_EQ(target.Pixel(15, 5), 0xFF000080u);
}

// The state image of the state asked for, stretched over the destination.
TEST_F(RenderTest, StateImages) {
  auto list = skin<VSkinImgList>("imglist", {{"src", u"IMGS:states"}, {"states", u"3"}});
  SoftwareRenderTarget target(40, 20);
  DrawSkinState(target, *list, 2, WindowRect{0, 0, 40, 20});
  EXPECT_EQ(target.Pixel(0, 0), kBlue);
  EXPECT_EQ(target.Pixel(39, 19), kBlue);
  DrawSkinState(target, *list, 7, WindowRect{0, 0, 10, 10});  // beyond the last state: the last
  EXPECT_EQ(target.Pixel(5, 5), kBlue);
  DrawSkinState(target, *list, 0, WindowRect{0, 0, 10, 10});
  EXPECT_EQ(target.Pixel(5, 5), kRed);
}

// Nine parts: the corners keep their 3 pixels at any size, the centre stretches.
TEST_F(RenderTest, NinePartFrame) {
  auto frame = skin<VSkinImgFrame>("imgframe", {{"src", u"IMGS:frame"}, {"margin", u"3,3,3,3"}});
  SoftwareRenderTarget target(60, 40);
  DrawSkinFrame(target, *frame, 0, WindowRect{0, 0, 60, 40});
  EXPECT_EQ(target.Pixel(0, 0), kRed);      // corner
  EXPECT_EQ(target.Pixel(2, 2), kRed);
  EXPECT_EQ(target.Pixel(3, 3), kBlue);     // the centre starts right after the margin
  EXPECT_EQ(target.Pixel(30, 1), kRed);     // top edge, stretched along x only
  EXPECT_EQ(target.Pixel(30, 20), kBlue);   // centre
  EXPECT_EQ(target.Pixel(56, 36), kBlue);
  EXPECT_EQ(target.Pixel(57, 37), kRed);    // bottom-right corner
}

// Text lands where its flags place it, inside its rectangle only.
TEST_F(RenderTest, TextPlacement) {
  SoftwareRenderTarget target(100, 30);
  target.DrawText(u"ab", WindowRect{0, 0, 100, 30}, kTextCenter | kTextVCenter | kTextSingleLine,
                  makeColour(255, 255, 255), FontDescription{});
  const int cell = SoftwareRenderTarget::kLineHeight * 6 / 10;
  const int left = (100 - 2 * cell) / 2;
  EXPECT_EQ(target.Pixel(left + 2, 15), 0xFFFFFFFFu);
  EXPECT_EQ(target.Pixel(left - 2, 15), 0xFF000000u);
  EXPECT_EQ(target.Pixel(left + 2, 3), 0xFF000000u);  // vertically centred
  SoftwareRenderTarget narrow(10, 30);
  narrow.DrawText(u"abcdef", WindowRect{0, 0, 5, 30}, kTextLeft, makeColour(255, 255, 255), FontDescription{});
  EXPECT_EQ(narrow.Pixel(7, 8), 0xFF000000u);  // clipped to the rectangle
}

// A skin without an image draws nothing.
TEST_F(RenderTest, SkinWithoutImage) {
  auto list = skin<VSkinImgList>("imglist", {{"states", u"2"}});
  SoftwareRenderTarget target(4, 4);
  DrawSkinState(target, *list, 0, WindowRect{0, 0, 4, 4});
  EXPECT_EQ(target.Pixel(1, 1), 0xFF000000u);
}

}  // namespace
}  // namespace veneer

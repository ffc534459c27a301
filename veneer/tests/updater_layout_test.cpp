// The updater's window layout, loaded from its XML, at scales 100 and 150.
// The expected rectangles were worked out by hand from the layout's
// positions (host client coordinates; texts measure 7 × 14 pixels a character).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "veneer/wnd/controls.h"
#include "veneer/wnd/layout_document.h"
#include "veneer/xml/xml_names.h"

namespace veneer {
namespace {

struct Expected {
  int scale;
  WindowRect host, tab, page, caption, captionText, closeButton, label, progress, doneButton, errorText, closeText;
};

const Expected kAt100{100,
                      {0, 0, 302, 202},
                      {1, 2, 301, 201},
                      {1, 2, 301, 201},
                      {3, 4, 299, 42},
                      {13, 4, 259, 42},
                      {278, 4, 298, 24},
                      {11, 82, 137, 96},
                      {32, 121, 272, 135},
                      {95, 101, 206, 132},
                      {11, 82, 291, 102},
                      {181, 127, 269, 155}};

const Expected kAt150{150,
                      {0, 0, 453, 303},
                      {2, 3, 451, 301},
                      {2, 3, 451, 301},
                      {5, 6, 448, 63},
                      {20, 6, 388, 63},
                      {416, 6, 446, 36},
                      {17, 123, 143, 137},
                      {49, 175, 409, 196},
                      {142, 152, 309, 199},
                      {17, 123, 436, 153},
                      {271, 191, 403, 233}};

class UpdaterLayoutTest : public ::testing::TestWithParam<Expected> {};

TEST_P(UpdaterLayoutTest, Rectangles) {
  const Expected& e = GetParam();
  std::ifstream in(std::string(UPDATER_RES_DIR) + "/main_view.xml", std::ios::binary);
  const std::string xmlText((std::istreambuf_iterator<char>(in)), {});
  pugi::xml_document document;
  ASSERT_TRUE(document.load_string(xmlText.c_str()));

  HostContext host;
  host.scale = e.scale;
  host.measureText = [](std::u16string_view text, const FontDescription&, int) { return LayoutSize{static_cast<int>(text.size()) * 7, 14}; };
  VObjectFactoryMgr registry;
  VObjectDefaultRegister(registry);
  registry.RegisterWindow("progress2", [](HostContext& h) -> std::unique_ptr<VWindow> {
    return std::make_unique<VProgress>(h);  // the updater registers its own class; the rectangle is the same
  });
  auto model = BuildHost(xml::child(document, "veneer"), host, registry);
  ASSERT_TRUE(model);
  const LayoutSize size = model->InitialSize(host);
  ASSERT_EQ((WindowRect{0, 0, size.width, size.height}), e.host);
  model->root->Move(e.host);

  auto* tabs = static_cast<VTabCtrl*>(model->root->FindChildByName2(u"tab.step", "tabctrl", 1));
  ASSERT_NE(tabs, nullptr);
  ASSERT_EQ(tabs->PageCount(), 5);
  EXPECT_EQ(tabs->Rect(), e.tab);
  for (int i = 0; i < 5; ++i) {
    VTabPage* page = tabs->GetPage(i);
    EXPECT_EQ(page->Rect(), e.page) << "page " << i;
    EXPECT_EQ(page->Visible(), i == 0);
    VWindow* caption = page->Child(0);
    EXPECT_EQ(caption->Rect(), e.caption) << "page " << i;
    EXPECT_EQ(caption->Child(0)->Rect(), e.captionText);
    EXPECT_EQ(caption->Child(1)->Rect(), e.closeButton);
    EXPECT_EQ(caption->Child(1)->Id(), 1);
  }
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(tabs->GetPage(i)->Child(1)->Rect(), e.label) << "page " << i;
    EXPECT_EQ(tabs->GetPage(i)->FindChildByName2(u"progress", "progress", 1)->Rect(), e.progress) << "page " << i;
  }
  EXPECT_EQ(tabs->GetPage(3)->Child(1)->Rect(), e.doneButton);
  EXPECT_EQ(tabs->GetPage(3)->Child(1)->Id(), 2);
  EXPECT_EQ(tabs->GetPage(4)->FindChildByName2(u"errorinfo", "text", 1)->Rect(), e.errorText);
  EXPECT_EQ(tabs->GetPage(4)->Child(2)->Rect(), e.closeText);
  EXPECT_EQ(tabs->GetPage(1)->Child(0)->Child(0)->RawText(), u"{verifing}");
  EXPECT_EQ(tabs->GetPage(3)->Title(), u"finished");
}

INSTANTIATE_TEST_SUITE_P(Scales, UpdaterLayoutTest, ::testing::Values(kAt100, kAt150),
                         [](const ::testing::TestParamInfo<Expected>& param) {
                           return "Scale" + std::to_string(param.param.scale);
                         });

}  // namespace
}  // namespace veneer

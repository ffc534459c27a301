// Windows built from a layout document: creation order, attributes, texts,
// find-by-name, the tab control, commands and the host's attributes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "veneer/core/toolkit_log.h"
#include "veneer/core/ui_context.h"
#include "veneer/tests/resource_folder.h"
#include "veneer/wnd/controls.h"
#include "veneer/wnd/layout_document.h"
#include "veneer/wnd/mouse_tracker.h"
#include "veneer/xml/xml_names.h"

namespace veneer {
namespace {

using testing::ResourceFolder;

constexpr char kDefinitions[] =
    "<UIDEF><string><ok value=\"{ok}\"/></string>"
    "<style><class name=\"cls_prog\" max=\"100\" colorText=\"#102030\" pos=\"1,1,@5,@5\"/>"
    "<class name=\"cls_root\" layout=\"gridLayout\" colorText=\"#405060\"/></style>"
    "<objattr><text align=\"center\"/><window valign=\"bottom\"/></objattr></UIDEF>";

constexpr char kLayout[] =
    "<VENEER title=\"@string/ok\" trCtx=\"dlg\" width=\"300dp\" height=\"0\" appMainWnd=\"2\" wndType=\"bogus\" margin=\"1,2,3,4\""
    " resizable=\"1\" minsize=\"100,50dp\" smallIcon=\"ICON:app\">"
    "<skin><gradient name=\"private\"/></skin>"
    "<root class=\"cls_root\" layout=\"linearLayout\">{root}"
    "  <caption name=\"caption\" pos=\"0,0,-0,@30\"><text name=\"title\">  {title}  </text></caption>"
    "  <tabctrl name=\"pages\" curSel=\"1\" tabSize=\"0\" pos=\"0,[0,-0,-0\">"
    "    <page name=\"p0\"><text name=\"dup\"/></page>"
    "    <page name=\"p1\"><window name=\"inner\"><progress name=\"progress\" class=\"cls_prog\" pos=\"2,2,@50,@6\"/>"
    "      <text name=\"dup\"/></window></page>"
    "  </tabctrl>"
    "  <imgbtn name=\"close\" id=\"IDCLOSE\" pos=\"-20,0,@20,@20\" animate=\"1\"/>"
    "  <unknownthing name=\"x\"/>"
    "  <include src=\"footer\"/>"
    "  <text name=\"dup\" id=\"IDSOMETHING\" enable=\"0\"><text name=\"child\"/></text>"
    "</root></VENEER>";

class WindowTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.write("uires.idx",
                 "<resource><uidef><file name=\"xml_init\" path=\"init.xml\"/></uidef>"
                 "<layout><file name=\"footer\" path=\"footer.xml\"/></layout></resource>");
    folder.write("init.xml", kDefinitions);
    folder.write("footer.xml", "<include><text name=\"footer\" pos=\"0,-20,-0,-0\">{footer}</text></include>");
    provider = VRef<IResProvider>::Adopt(folder.attach());
    ASSERT_TRUE(ui.AddProvider(provider.get(), u"uidef:xml_init"));
    host.ui = &ui;
    // 7 pixels a character, 14 a line; wrapped lines as full as 7-pixel cells allow.
    host.measureText = [](std::u16string_view text, const FontDescription&, int wrapWidth) {
      const int width = static_cast<int>(text.size()) * 7;
      if (wrapWidth <= 0 || width <= wrapWidth) return LayoutSize{width, 14};
      const int perLine = std::max(1, wrapWidth / 7);
      const int lines = (static_cast<int>(text.size()) + perLine - 1) / perLine;
      return LayoutSize{perLine * 7, 14 * lines};
    };
    host.onCommand = [this](int id, std::u16string_view name) { commands.push_back({id, std::u16string(name)}); };
    VObjectDefaultRegister(registry);
    SetToolkitLogSink([this](std::string_view, int, std::string_view text, const LogSite& site) {
      warnings.emplace_back(text);
      sites.push_back(site);
      return true;
    });
    ASSERT_TRUE(document.load_string(kLayout));
    model = BuildHost(xml::child(document, "veneer"), host, registry);
    ASSERT_TRUE(model);
  }
  void TearDown() override { SetToolkitLogSink({}); }

  VWindow& root() { return *model->root; }

  ResourceFolder folder{"tree"};
  VUiContext ui{nullptr, nullptr};
  VRef<IResProvider> provider;
  HostContext host;
  VObjectFactoryMgr registry;
  pugi::xml_document document;
  std::unique_ptr<VHostModel> model;
  std::vector<std::string> warnings;
  std::vector<LogSite> sites;
  std::vector<std::pair<int, std::u16string>> commands;
};

// Elements become windows of their classes; unknown names warn and are skipped;
// an include puts the included children in its place.
TEST_F(WindowTreeTest, CreatesTheTree) {
  ASSERT_EQ(root().ChildCount(), 5u);
  EXPECT_STREQ(root().Child(0)->ClassName(), "caption");
  EXPECT_STREQ(root().Child(1)->ClassName(), "tabctrl");
  EXPECT_STREQ(root().Child(2)->ClassName(), "imgbtn");
  EXPECT_EQ(root().Child(3)->Name(), u"footer");
  EXPECT_EQ(root().Child(4)->Name(), u"dup");
  // A private skin of no registered class warns in the registry's words, as
  // an unknown window does.
  EXPECT_EQ(warnings, (std::vector<std::string>{"Warning: no ojbect gradient of type:1 in VENEER!!",
                                                "Warning: no ojbect unknownthing of type:0 in VENEER!!"}));
  EXPECT_TRUE(root().Child(2)->IsClass("button"));
  EXPECT_TRUE(root().Child(2)->IsClass("window"));
  EXPECT_FALSE(root().Child(2)->IsClass("text"));
}

// Ids by number or name ("ID..." that is none of the nine leaves it); texts
// trimmed and translated; state inherited from the parent; class defaults.
TEST_F(WindowTreeTest, AttributesTextsAndStates) {
  EXPECT_EQ(root().Child(2)->Id(), 8);
  EXPECT_EQ(root().Child(4)->Id(), 0);
  EXPECT_EQ(parseWindowId(u"0x10"), 16);
  EXPECT_EQ(parseWindowId(u"IDYES"), 6);
  EXPECT_FALSE(parseWindowId(u"IDLE"));
  VWindow* title = root().FindChildByName2(u"title", "text", -1);
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->RawText(), u"{title}");
  EXPECT_EQ(title->WindowText(), u"{title}");  // no translation installed
  // A language that comes later reaches the texts shown once the windows are told.
  VRef<VTranslatorMgr> translations = VRef<VTranslatorMgr>::Adopt(new VTranslatorMgr);
  pugi::xml_document german;
  ASSERT_TRUE(german.load_string("<language name=\"de\" guid=\"{00000000-0000-0000-0000-000000000001}\">"
                                 "<context name=\"dlg\"><message><source>{title}</source>"
                                 "<translation>Titel</translation></message></context></language>"));
  VRef<IVTranslator> translator = VRef<IVTranslator>::Adopt(translations->NewTranslator());
  ASSERT_EQ(translator->LoadLanguage(german.child("language"), 1), 1);
  ASSERT_EQ(translations->AddTranslator(translator.get()), 1);
  ui.SetTranslations(translations.get());
  EXPECT_EQ(title->WindowText(), u"{title}");
  root().OnLanguageChanged();
  EXPECT_EQ(title->WindowText(), u"Titel");
  EXPECT_EQ(title->RawText(), u"{title}");
  ui.SetTranslations(nullptr);
  EXPECT_EQ(title->Style().align, 1);          // the class default from the definitions
  EXPECT_FALSE(root().Child(4)->Enabled());
  EXPECT_FALSE(root().Child(4)->Child(0)->Enabled());  // inherited
  EXPECT_TRUE(static_cast<VImageButton*>(root().Child(2))->Animate());
}

// The element's own attributes override its style class.
TEST_F(WindowTreeTest, StyleClassThenOwnAttributes) {
  VWindow* progress = root().FindChildByName2(u"progress", "progress", -1);
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->Style().colorText, makeColour(0x10, 0x20, 0x30));
  EXPECT_EQ(progress->LayoutParam().left.length.value, 2.0f);  // own pos wins over the class's

  // The root element is read as any other: its class's defaults, its style
  // class, its text. Its own "layout" comes first and its class's after it.
  EXPECT_EQ(root().Style().valign, 2);
  EXPECT_EQ(root().Style().colorText, makeColour(0x40, 0x50, 0x60));
  EXPECT_EQ(root().RawText(), u"{root}");
  EXPECT_EQ(root().LayoutClass(), u"gridLayout");
  EXPECT_EQ(progress->LayoutClass(), u"VeneerLayout");
}

// "maxWidth" wraps a wrap-content text within it less the insets; a fixed
// width, or no "maxWidth", keeps it on one line.
TEST_F(WindowTreeTest, MaxWidthWrapsTheText) {
  std::unique_ptr<VWindow> text = registry.CreateWindowObject("text", host);
  text->SetAttribute("padding", u"3,0,2,0");
  text->SetWindowText(u"twelve chars");  // 84 pixels on one line
  const auto desired = [&] {
    const LayoutSize size = text->DesiredSize(0, 0);
    return std::pair{size.width, size.height};
  };
  EXPECT_EQ(desired(), std::pair(89, 14));
  text->SetAttribute("maxWidth", u"40");  // 35 pixels for the text: 5 characters a line
  EXPECT_EQ(desired(), std::pair(35 + 5, 3 * 14));
  host.scale = 200;
  text->SetAttribute("maxWidth", u"40dp");  // 80 - 5 pixels: 10 characters a line
  EXPECT_EQ(desired(), std::pair(70 + 5, 2 * 14));
  host.scale = 100;
  text->SetAttribute("width", u"200");
  EXPECT_EQ(text->DesiredSize(0, 0).height, 14);
}

// Find-by-name: unlimited depth finds the nested progress, depth 1 from the tab
// control does not; a direct child wins; earlier children before later ones.
TEST_F(WindowTreeTest, FindChildByName) {
  auto* tabs = static_cast<VTabCtrl*>(root().FindChildByName2(u"pages", "tabctrl", 1));
  ASSERT_NE(tabs, nullptr);
  EXPECT_NE(tabs->GetPage(1)->FindChildByName2(u"progress", "progress", -1), nullptr);
  EXPECT_EQ(tabs->FindChildByName2(u"progress", "progress", 1), nullptr);
  EXPECT_EQ(root().FindChildByName2(u"dup", "text", -1), root().Child(4));  // the direct child
  EXPECT_EQ(tabs->FindChildByName2(u"dup", "text", -1), tabs->GetPage(0)->Child(0));  // the earlier page
  warnings.clear();
  sites.clear();
  EXPECT_EQ(root().FindChildByName2(u"pages", "text", -1), nullptr);
  EXPECT_EQ(warnings, std::vector<std::string>{"FindChildByName2 Failed, no window of class [text] with name of "
                                               "[pages] was found within [-1] levels"});
  // The record names the lookup as its call site.
  ASSERT_EQ(sites.size(), 1u);
  EXPECT_EQ(sites[0].function, "FindChildByName2");
  EXPECT_TRUE(std::string_view(sites[0].file).ends_with("vwindow.cpp"));
  EXPECT_EQ(root().FindChildByName2(u"", "window", -1), nullptr);
  EXPECT_EQ(root().FindChildByName2(u"pages", "tabctrl", 0), nullptr);
}

// Page 5 of a two-page control, or the current page, change nothing and raise no event.
TEST_F(WindowTreeTest, TabControl) {
  auto* tabs = static_cast<VTabCtrl*>(root().FindChildByName2(u"pages", "tabctrl", 1));
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->CurSel(), 1);
  EXPECT_FALSE(tabs->GetPage(0)->Visible());
  EXPECT_TRUE(tabs->GetPage(1)->Visible());
  root().Move(WindowRect{0, 0, 300, 200});
  EXPECT_FALSE(tabs->NeedsLayout());  // laid out by its own rule, and done with it
  std::vector<std::string> events;
  tabs->onSelChanging = [&](int from, int to) {
    events.push_back("changing " + std::to_string(from) + ">" + std::to_string(to));
    return true;
  };
  tabs->onSelChanged = [&](int from, int to) {
    events.push_back("changed " + std::to_string(from) + ">" + std::to_string(to));
  };
  EXPECT_FALSE(tabs->SelectPage(5));
  EXPECT_FALSE(tabs->SelectPage(1));
  EXPECT_TRUE(events.empty());
  EXPECT_TRUE(tabs->SelectPage(0));
  EXPECT_EQ(events, (std::vector<std::string>{"changing 1>0", "changed 1>0"}));
  EXPECT_TRUE(tabs->GetPage(0)->Visible());
  EXPECT_FALSE(tabs->GetPage(1)->Visible());
  tabs->onSelChanging = [](int, int) { return false; };
  EXPECT_FALSE(tabs->SelectPage(1));
  EXPECT_EQ(tabs->CurSel(), 0);
  EXPECT_EQ(tabs->GetPage(2), nullptr);
}

// A release over the pressed window raises EventCmd with its id and name; a
// release without a press does nothing.
TEST_F(WindowTreeTest, CommandOnRelease) {
  VWindow* close = root().Child(2);
  close->OnLButtonUp();
  EXPECT_TRUE(commands.empty());
  close->OnLButtonDown();
  close->OnLButtonUp();
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].first, 8);
  EXPECT_EQ(commands[0].second, u"close");
}

// The mouse's states: hover on entering, pushed while pressed wherever the
// pointer is, normal on leaving; EventCmd only for a release on the pressed
// window, a release elsewhere cancels the press; disabled wins. Each event
// names the windows to repaint, none when nothing changed; the text colour
// follows the state.
TEST_F(WindowTreeTest, MouseStatesAndCommands) {
  using Changed = MouseTracker::Changed;
  VWindow* close = root().Child(2);
  VWindow* caption = root().Child(0);
  for (const auto& [attribute, value] : {std::pair{"colorText", u"#000001"}, {"colorTextHover", u"#000002"},
                                         {"colorTextPush", u"#000003"}, {"colorTextDisable", u"#000004"}}) {
    ASSERT_TRUE(close->SetAttribute(attribute, value));
  }
  MouseTracker mouse;
  EXPECT_EQ(mouse.Move(close), Changed{close});
  EXPECT_EQ(close->StateIndex(), 1);
  EXPECT_EQ(close->TextColour(), makeColour(0, 0, 2));
  EXPECT_EQ(mouse.Move(close), Changed{});
  EXPECT_EQ(mouse.Press(close), Changed{close});
  EXPECT_EQ(close->StateIndex(), 2);
  EXPECT_EQ(close->TextColour(), makeColour(0, 0, 3));
  EXPECT_EQ(mouse.Move(caption), (Changed{caption}));  // pressed, the mouse elsewhere: still pushed
  EXPECT_EQ(close->StateIndex(), 2);
  EXPECT_EQ(mouse.Move(close), (Changed{caption}));
  EXPECT_EQ(close->StateIndex(), 2);
  EXPECT_EQ(mouse.Release(close), Changed{close});
  EXPECT_EQ(close->StateIndex(), 1);
  ASSERT_EQ(commands.size(), 1u);

  mouse.Press(close);
  EXPECT_EQ(mouse.Release(caption), (Changed{caption, close}));
  EXPECT_EQ(commands.size(), 1u);
  mouse.Move(close);
  EXPECT_EQ(close->StateIndex(), 1);  // the cancelled press does not come back
  EXPECT_EQ(mouse.Leave(), Changed{close});
  EXPECT_EQ(close->StateIndex(), 0);
  EXPECT_EQ(close->TextColour(), makeColour(0, 0, 1));
  close->SetEnabled(false);
  EXPECT_EQ(close->StateIndex(), 3);
  EXPECT_EQ(close->TextColour(), makeColour(0, 0, 4));
}

// The font in force: the state's description, else the window's, else the
// nearest ancestor's, else the default font; sizes at the host's scale.
TEST_F(WindowTreeTest, FontsByStateAncestorAndScale) {
  VWindow* pages = root().FindChildByName2(u"pages", "tabctrl", 1);
  VWindow* progress = root().FindChildByName2(u"progress", "progress", -1);
  VWindow* close = root().FindChildByName2(u"close", "imgbtn", 1);
  pages->SetAttribute("font", u"Face:Tahoma,size:14dp,bold:1");
  close->SetAttribute("font", u"underline:1,adding:2dp");
  close->SetAttribute("fontHover", u"italic:1");
  close->SetAttribute("fontDisable", u"strike:1,charset:134");
  // scale, inherited "size:14dp", the default 12 × scale / 100 plus 2dp
  for (const auto& [scale, inherited, added] : {std::tuple{100, 14, 14}, {125, 18, 18}, {150, 21, 21}, {200, 28, 28}}) {
    root().DispatchScale(scale);
    EXPECT_EQ(progress->Font().height, inherited) << scale;
    EXPECT_EQ(close->Font().height, added) << scale;
  }
  EXPECT_EQ(progress->Font().face, u"tahoma");
  EXPECT_TRUE(progress->Font().bold);
  EXPECT_EQ(close->Font().face, DefaultFont{}.face);
  EXPECT_TRUE(close->Font().underline);
  close->SetHover(true);
  EXPECT_TRUE(close->Font().italic);
  EXPECT_FALSE(close->Font().underline);  // the state's description replaces the window's
  close->SetEnabled(false);
  EXPECT_TRUE(close->Font().strike);
  EXPECT_EQ(close->Font().charset, 134);
  EXPECT_EQ(root().Font().height, 24);  // no description above it: the default at 200
}

// Host attributes, the title through named strings, the initial size from the
// root's desired height, and the children laid out in the host's rectangle.
TEST_F(WindowTreeTest, HostAttributesAndLayout) {
  const HostAttributes& a = model->attributes;
  EXPECT_EQ(a.trCtx, u"dlg");
  EXPECT_EQ(host.translationContext, u"dlg");
  EXPECT_EQ(a.wndType, WndType::kNormal);  // set by number; "bogus" is rejected and leaves it
  EXPECT_EQ(a.margin[3], (LayoutLength{4, LengthUnit::kPx}));
  EXPECT_EQ(a.minSize[1], (LayoutLength{50, LengthUnit::kDp}));
  EXPECT_EQ(a.smallIcon, u"ICON:app");
  // The margins are the resize borders of a resizable host that is not maximised.
  const std::tuple<int, int, bool, HitCode> hits[] = {
      {0, 0, false, kHitTopLeft},    {150, 1, false, kHitTop},   {299, 1, false, kHitTopRight},
      {0, 100, false, kHitLeft},     {297, 100, false, kHitRight}, {296, 100, false, kHitClient},
      {0, 196, false, kHitBottomLeft}, {150, 196, false, kHitBottom}, {0, 0, true, kHitClient}};
  for (const auto& [x, y, maximised, expected] : hits) {
    EXPECT_EQ(ResizeHitAt(a, 100, maximised, x, y, 300, 200), expected) << x << "," << y;
  }
  EXPECT_EQ(model->ShownTitle(host), u"{ok}");
  const LayoutSize size = model->InitialSize(host);
  EXPECT_EQ(size.width, 300);
  EXPECT_GT(size.height, 0);

  root().Move(WindowRect{0, 0, 300, 200});
  EXPECT_EQ(root().Child(0)->Rect(), (WindowRect{0, 0, 300, 30}));      // caption across the top
  EXPECT_EQ(root().Child(1)->Rect(), (WindowRect{0, 30, 300, 200}));    // pages below it
  EXPECT_EQ(root().Child(2)->Rect(), (WindowRect{280, 0, 300, 20}));    // close button at the right
  EXPECT_EQ(root().Child(3)->Rect(), (WindowRect{0, 180, 300, 200}));   // the included footer
  VWindow* title = root().FindChildByName2(u"title", "text", -1);
  EXPECT_EQ(title->Rect(), (WindowRect{0, 0, 49, 14}));  // the text's desired size, 7 × 7
}

// A window moved to a point keeps its size and floats: the parent's layout
// leaves it there until it is moved with no rectangle.
TEST_F(WindowTreeTest, MoveToFloats) {
  root().Move(WindowRect{0, 0, 300, 200});
  VWindow* close = root().Child(2);
  close->MoveTo(5, 6);
  EXPECT_EQ(close->Rect(), (WindowRect{5, 6, 25, 26}));
  EXPECT_TRUE(close->Floating());
  root().Move(WindowRect{0, 0, 300, 200});
  EXPECT_EQ(close->Rect(), (WindowRect{5, 6, 25, 26}));
  close->Unfloat();
  EXPECT_TRUE(root().NeedsLayout());
  root().Move(WindowRect{0, 0, 300, 200});
  EXPECT_EQ(close->Rect(), (WindowRect{280, 0, 300, 20}));
}

// A press on the caption of a maximised host moves it only on workstation
// systems of major version 6, and there from the first mouse move on.
TEST(HostRoles, CaptionMoveOnPress) {
  EXPECT_EQ(CaptionMoveOnPress(false, 10, true), CaptionMove::kAtOnce);
  EXPECT_EQ(CaptionMoveOnPress(false, 6, true), CaptionMove::kAtOnce);
  EXPECT_EQ(CaptionMoveOnPress(true, 6, true), CaptionMove::kAtFirstMouseMove);
  EXPECT_EQ(CaptionMoveOnPress(true, 6, false), CaptionMove::kNone);
  EXPECT_EQ(CaptionMoveOnPress(true, 10, true), CaptionMove::kNone);
  EXPECT_EQ(CaptionMoveOnPress(true, 5, true), CaptionMove::kNone);
}

TEST(HostRoles, QuitOnDestroy) {
  EXPECT_TRUE(QuitsOnDestroy(WndType::kAppMain, true, true));
  EXPECT_TRUE(QuitsOnDestroy(WndType::kUndefine, false, false));
  EXPECT_FALSE(QuitsOnDestroy(WndType::kUndefine, true, false));
  EXPECT_FALSE(QuitsOnDestroy(WndType::kUndefine, false, true));
  EXPECT_FALSE(QuitsOnDestroy(WndType::kNormal, false, false));
}

}  // namespace
}  // namespace veneer

#include "veneer/render/paint.h"

namespace veneer {
namespace {

// The tree painted in software: texts where the layout put them, in their
// colours; hit-testing finds the deepest window, the last drawn on top.
TEST_F(WindowTreeTest, PaintsAndHitTests) {
  root().Move(WindowRect{0, 0, 300, 200});
  VWindow* footer = root().FindChildByName2(u"footer", "text", 1);
  footer->SetAttribute("colorBkgnd", u"#00ff00");
  footer->SetAttribute("colorBorder", u"#0000ff");
  SoftwareRenderTarget target(300, 200, 0xFFFFFFFFu);
  PaintWindowTree(root(), target);
  // "{footer}" at (0,180)-(300,200): black, centred (texts default to "align" center in the definitions),
  // in cells of the default font's 12 pixels, over its background colour, inside its border.
  const int textLeft = (300 - 8 * (DefaultFont{}.size * 6 / 10)) / 2;
  EXPECT_EQ(target.Pixel(textLeft + 2, 185), 0xFF000000u);
  EXPECT_EQ(target.Pixel(3, 185), 0xFF00FF00u);
  EXPECT_EQ(target.Pixel(0, 185), 0xFF0000FFu);
  EXPECT_EQ(target.Pixel(150, 199), 0xFF0000FFu);
  EXPECT_EQ(WindowAtPoint(root(), 290, 10), root().Child(2));  // the close button over the caption
  EXPECT_EQ(WindowAtPoint(root(), 100, 10), root().Child(0));
  EXPECT_EQ(WindowAtPoint(root(), 20, 5), root().Child(0)->Child(0));  // the title text inside the caption
  EXPECT_EQ(WindowAtPoint(root(), 400, 10), nullptr);
}

}  // namespace
}  // namespace veneer

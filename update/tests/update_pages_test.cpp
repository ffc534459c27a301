// The update window's logic on the shipped layout: pages and bars driven by
// the worker's messages, the error text, the header, the buttons, and the
// scale, size and centring rules.
#include <gtest/gtest.h>

#include "update/tests/updater_ui.h"
#include "update/update_pages.h"
#include "update/updater_instance.h"
#include "veneer/render/paint.h"

namespace update {
namespace {

using testing::UpdaterUi;
using veneer::PixelPoint;
using veneer::WindowRect;

class UpdatePagesTest : public ::testing::Test {
 protected:
  void SetUp() override { pages.Init(ui.root()); }

  veneer::VProgress2* barOfPage(int page) {
    return static_cast<veneer::VProgress2*>(pages.Tab()->GetPage(page)->FindChildByName2(u"progress", "progress2", -1));
  }

  UpdaterUi ui;
  UpdatePages pages;
};

// A press on the caption's text drags the window; one on its close button does not.
TEST_F(UpdatePagesTest, CaptionDragsFromItsTextNotFromItsButton) {
  for (int page = 0; page < 5; ++page) {
    veneer::VWindow* caption = pages.Tab()->GetPage(page)->Child(0);
    ASSERT_TRUE(caption->IsClass("caption")) << page;
    EXPECT_EQ(veneer::CaptionToDrag(caption), caption);
    EXPECT_EQ(veneer::CaptionToDrag(caption->Child(0)), caption) << page;  // the title text
    EXPECT_EQ(veneer::CaptionToDrag(caption->Child(1)), nullptr) << page;  // the close button
  }
  EXPECT_EQ(veneer::CaptionToDrag(barOfPage(0)), nullptr);
}

// Page 0 and its bar are bound; the shipped layout has no header, which the lookup logs.
TEST_F(UpdatePagesTest, InitBindsPageZeroAndLogsTheMissingHeader) {
  ASSERT_NE(pages.Tab(), nullptr);
  ASSERT_NE(pages.ErrorInfo(), nullptr);
  EXPECT_EQ(pages.CurrentPage(), 0);
  EXPECT_EQ(pages.Progress(), barOfPage(0));
  EXPECT_EQ(pages.Header(), nullptr);
  EXPECT_EQ(ui.warnings, std::vector<std::string>{"FindChildByName2 Failed, no window of class [img] with name of "
                                                  "[prog_header] was found within [-1] levels"});
  EXPECT_EQ(pages.Progress()->Max(), 300);  // the style class's defaults
}

// Download in bytes on page 0, then page 1's bar counts the steps: 33%, 66%, and page 3.
TEST_F(UpdatePagesTest, GoodRun) {
  pages.OnDownloadProgress(1000, 0);
  pages.OnDownloadProgress(1000, 500);
  EXPECT_EQ(barOfPage(0)->Max(), 1000);
  EXPECT_EQ(barOfPage(0)->Value(), 500);
  EXPECT_EQ(pages.CurrentPage(), 0);
  pages.OnDownloadProgress(1000, 1000);
  EXPECT_EQ(barOfPage(0)->Value(), 1000);
  EXPECT_EQ(pages.CurrentPage(), 1);
  EXPECT_EQ(pages.Progress(), barOfPage(1));
  EXPECT_EQ(barOfPage(1)->Max(), 300);
  pages.OnInstallStep(3, 0);
  EXPECT_EQ(barOfPage(1)->Max(), 3);
  pages.OnInstallStep(0, 1);
  EXPECT_EQ(barOfPage(1)->Value(), 1);
  pages.OnInstallStep(0, 2);
  EXPECT_EQ(barOfPage(1)->Value(), 2);
  pages.OnInstallStep(0, 0);
  EXPECT_EQ(barOfPage(1)->Value(), 0);
  EXPECT_EQ(pages.CurrentPage(), 3);
  EXPECT_EQ(pages.Progress(), barOfPage(1));  // page 3 binds nothing
  EXPECT_TRUE(pages.Tab()->GetPage(3)->Visible());
  EXPECT_FALSE(pages.Tab()->GetPage(1)->Visible());
}

// Content length 0: the range stays, the value is 0, and page 1 comes at once.
TEST_F(UpdatePagesTest, EmptyDownloadGoesStraightToPageOne) {
  pages.OnDownloadProgress(0, 0);
  EXPECT_EQ(barOfPage(0)->Max(), 300);
  EXPECT_EQ(barOfPage(0)->Value(), 0);
  EXPECT_EQ(pages.CurrentPage(), 1);
}

// A transfer that stopped short keeps page 0, whose bar then counts the steps.
TEST_F(UpdatePagesTest, ShortTransferStaysOnPageZero) {
  pages.OnDownloadProgress(1000, 0);
  pages.OnDownloadProgress(1000, 400);
  pages.OnInstallStep(3, 0);
  EXPECT_EQ(pages.CurrentPage(), 0);
  EXPECT_EQ(barOfPage(0)->Max(), 3);
  pages.OnInstallStep(0, 2);
  EXPECT_EQ(barOfPage(0)->Value(), 2);
  pages.OnInstallStep(0, 0);
  EXPECT_EQ(pages.CurrentPage(), 3);
}

TEST_F(UpdatePagesTest, ErrorPageAndWhatFollows) {
  pages.OnUpdateError(nullptr);
  EXPECT_EQ(pages.CurrentPage(), 4);
  EXPECT_EQ(pages.ErrorInfo()->RawText(), u"{error info}");
  pages.OnUpdateError(u"Plese check internet condition");
  EXPECT_EQ(pages.ErrorInfo()->WindowText(), u"Plese check internet condition");
  // The handlers follow the message values alone: (0, 0) after an error still shows page 3.
  pages.OnInstallStep(0, 0);
  EXPECT_EQ(pages.CurrentPage(), 3);
}

TEST_F(UpdatePagesTest, ReplaceProgressMinusOneShowsPageTwo) {
  pages.OnReplaceProgress(5, 5);
  EXPECT_EQ(pages.CurrentPage(), 0);
  pages.OnReplaceProgress(-1, -1);
  EXPECT_EQ(pages.CurrentPage(), 2);
  EXPECT_EQ(pages.Progress(), barOfPage(2));
}

// A layout with a header image: it rides on the end of the fill.
TEST(UpdatePagesHeaderTest, HeaderFollowsTheFill) {
  UpdaterUi ui([](std::string& layout) {
    const std::string bar = "<progress2 name=\"progress\"";
    layout.insert(layout.find(bar), "<img name=\"prog_header\" pos=\"0,0,@10,@10\"/>");
  });
  UpdatePages pages;
  pages.Init(ui.root());
  ASSERT_NE(pages.Header(), nullptr);
  pages.ShowProgress(100, 50);
  const WindowRect bar = pages.Progress()->Rect();
  const PixelPoint expected = pages.Progress()->HeaderPosition(10, 10, 6, -2);
  EXPECT_EQ(expected.x, bar.left + bar.Width() / 2 - 3 - 10 + 6);
  EXPECT_EQ(pages.Header()->Rect(), (WindowRect{expected.x, expected.y, expected.x + 10, expected.y + 10}));
}

TEST(UpdateWindowRulesTest, Commands) {
  EXPECT_EQ(ActionForCommand(1), CommandAction::kClose);
  EXPECT_EQ(ActionForCommand(2), CommandAction::kStartInstallerAndClose);
  EXPECT_EQ(ActionForCommand(3), CommandAction::kNone);
}

TEST(UpdateWindowRulesTest, InstallerLaunch) {
  const auto launch = InstallerLaunchFor(u"C:\\Program Files\\App\\setup.exe");
  ASSERT_TRUE(launch);
  EXPECT_EQ(launch->commandLine, u"\"C:\\Program Files\\App\\setup.exe\" \"--delay=1\" \"--runarg=update\"");
  EXPECT_EQ(launch->folder, u"C:\\Program Files\\App");
  EXPECT_EQ(launch->program, u"C:\\Program Files\\App\\setup.exe");
  EXPECT_EQ(launch->parameters, u"\"--delay=1\" \"--runarg=update\"");
  EXPECT_FALSE(InstallerLaunchFor(std::u16string(260, u'x')));
}

// The system's answers to the installer's start (the consent prompt only
// exists on Windows): only "needs elevation" goes on to the shell.
TEST(UpdateWindowRulesTest, InstallerStartAnswers) {
  struct Port : InstallerStartPort {
    std::uint32_t created, shell;
    int shellCalls = 0;
    Port(std::uint32_t c, std::uint32_t s) : created(c), shell(s) {}
    std::uint32_t createProcess(const InstallerLaunch&) override { return created; }
    std::uint32_t shellExecute(const InstallerLaunch&) override { return ++shellCalls, shell; }
  };
  const InstallerLaunch launch = *InstallerLaunchFor(u"C:\\dl\\setup.exe");
  struct Case {
    std::uint32_t created, shell;
    bool started;
    int shellCalls;
    std::uint32_t error;
    const char* log;
  } cases[] = {
      {0, 5, true, 0, 0, "the installer started"},
      {kElevationRequired, 0, true, 1, 0, "the installer needs elevation: started through the shell"},
      {kElevationRequired, kStartCancelled, false, 1, kStartCancelled,
       "the installer needs elevation and the consent prompt was declined"},
      {kElevationRequired, 5, false, 1, 5, "the installer needs elevation and the shell could not start it (error 5)"},
      {2, 0, false, 0, 2, "the installer could not be started (error 2)"},
  };
  for (const Case& c : cases) {
    Port port(c.created, c.shell);
    const InstallerStart start = StartNewInstaller(launch, port);
    EXPECT_EQ(start.started, c.started) << c.log;
    EXPECT_EQ(port.shellCalls, c.shellCalls) << c.log;
    EXPECT_EQ(start.error, c.error) << c.log;
    EXPECT_EQ(start.logLine, c.log);
  }
}

// One updater per installer: every spelling of the same full path gives one name, another path another.
TEST(UpdateWindowRulesTest, InstanceNameFoldsSpelling) {
  const std::u16string name = InstanceName(u"C:\\Program Files\\App\\setup.exe");
  EXPECT_EQ(name.size(), 13u + 16u);
  EXPECT_EQ(name.rfind(u"TavaroUpdate-", 0), 0u);
  EXPECT_EQ(InstanceName(u"c:/PROGRAM FILES/app/SETUP.EXE"), name);
  EXPECT_NE(InstanceName(u"C:\\Program Files\\App\\setup2.exe"), name);
  EXPECT_NE(InstanceName(u"D:\\Program Files\\App\\setup.exe"), name);
  EXPECT_EQ(InstanceMark(u"C:/program files/app/setup.exe"), InstanceMark(u"C:\\Program Files\\App\\setup.exe"));
  EXPECT_NE(InstanceMark(u""), 0u);
}

TEST(UpdateWindowRulesTest, ScaleSteps) {
  EXPECT_EQ(ScaleForDpi(96), 100);
  EXPECT_EQ(ScaleForDpi(97), 125);  // 101.04 is above 100
  EXPECT_EQ(ScaleForDpi(120), 125);
  EXPECT_EQ(ScaleForDpi(144), 150);
  EXPECT_EQ(ScaleForDpi(168), 200);
  EXPECT_EQ(ScaleForDpi(72), 100);
}

// Before Windows 6 the window keeps scale 100 whatever the resolution.
TEST(UpdateWindowRulesTest, NoScalingBeforeVersionSix) {
  EXPECT_EQ(ScaleAfterDisplayChange(5, 192), std::nullopt);
  EXPECT_EQ(ScaleAfterDisplayChange(6, 192), std::optional<int>(200));
  EXPECT_EQ(ScaleAfterDisplayChange(10, 96), std::optional<int>(100));
}

// Rescaling goes from the previous scale, not from 100; the same scale keeps the size.
TEST(UpdateWindowRulesTest, RescaleFromThePreviousScale) {
  const WindowRect at100{100, 50, 402, 252};
  const WindowRect at150 = RescaleRect(at100, 150, 100);
  EXPECT_EQ(at150, (WindowRect{150, 75, 603, 378}));
  EXPECT_EQ(RescaleRect(at150, 200, 150), (WindowRect{200, 100, 804, 504}));
  EXPECT_EQ(RescaleRect(at150, 150, 150), at150);
}

TEST(UpdateWindowRulesTest, Centring) {
  const WindowRect work{0, 0, 1024, 738};
  const WindowRect window{0, 0, 302, 202};
  EXPECT_EQ(CentredPosition(window, std::nullopt, work), (PixelPoint{361, 268}));
  // On a reference window near the right edge: kept inside the work area.
  EXPECT_EQ(CentredPosition(window, WindowRect{900, 10, 1000, 60}, work), (PixelPoint{722, 0}));
  // A work area smaller than the window: the left and top edges win.
  EXPECT_EQ(CentredPosition(window, std::nullopt, WindowRect{10, 20, 200, 100}), (PixelPoint{10, 20}));
}

}  // namespace
}  // namespace update

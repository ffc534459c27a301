// A host window built from a small layout, under Wine and Xvfb: painted with
// GDI, read back from the screen, and clicked.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/wine_limits_win.h"
#include "veneer/res/res_provider_pe_win.h"
#include "veneer/wnd/host_wnd_win.h"
#include "veneer/xml/xml_names.h"

namespace veneer {
namespace {

constexpr char kLayout[] =
    "<VENEER width=\"240\" height=\"140\" title=\"sample\">"
    "<root>"
    "  <window name=\"panel\" skin=\"frame\" pos=\"10,10,@100,@60\"/>"
    "  <text name=\"label\" colorText=\"#000000\" pos=\"10,80,@120,@24\">Hello veneer</text>"
    "  <imgbtn name=\"ok\" id=\"IDOK\" skin=\"btn\" pos=\"160,80,@40,@30\"/>"
    "</root></VENEER>";

void pump(DWORD millis) {
  const ULONGLONG end = GetTickCount64() + millis;
  MSG message;
  while (GetTickCount64() < end) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
}

// A screenshot of the window's client area, as the screen shows it.
std::vector<COLORREF> screenshot(HWND window, int width, int height) {
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  HDC screen = GetDC(nullptr);
  std::vector<COLORREF> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels[static_cast<std::size_t>(y * width + x)] = GetPixel(screen, origin.x + x, origin.y + y);
  }
  ReleaseDC(nullptr, screen);
  return pixels;
}

TEST(HostWindow, RendersAndRaisesCommands) {
  VRef<IImageDecoder> decoder = VRef<IImageDecoder>::Adopt(CreateImageDecoder("imgdecoder-gdip"));
  VUiContext ui(decoder.get(), nullptr);
  VRef<IResProvider> provider = VRef<IResProvider>::Adopt(new VResProviderPE(decoder.get()));
  ASSERT_TRUE(provider->Attach(ProviderSource{GetModuleHandleW(nullptr), {}}));
  ASSERT_TRUE(ui.AddProvider(provider.get(), u"uidef:host_uidef"));
  VObjectFactoryMgr registry;
  VObjectDefaultRegister(registry);
  pugi::xml_document document;
  ASSERT_TRUE(document.load_string(kLayout));

  const std::uint64_t beforeCreate = MicrosecondsNow();
  VHostWnd host(ui, registry);
  std::vector<std::pair<int, std::u16string>> commands;
  host.onCommand = [&](int id, std::u16string_view name) { commands.push_back({id, std::u16string(name)}); };
  ASSERT_TRUE(host.Create(xml::child(document, "veneer"), 50, 50));
  host.Show(SW_SHOWNORMAL);
  SetForegroundWindow(host.Handle());
  pump(700);
  // The first paint left when it ended, on the machine's clock.
  const double firstPaint = MillisToMoment(beforeCreate, WindowCounter::Read(host.Handle(), kFirstPaintEndProperty));
  EXPECT_GE(firstPaint, 0.0);
  EXPECT_LE(firstPaint, static_cast<double>(MicrosecondsNow() - beforeCreate) / 1000.0);
  EXPECT_EQ(MillisToMoment(beforeCreate + 1000, static_cast<std::uintptr_t>(beforeCreate)), -1.0);  // before: none
  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  EXPECT_EQ(MicrosecondsOf(frequency.QuadPart * 86400 * 30), 86400ull * 30 * 1000000);  // 30 days, no overflow

  RECT client{};
  GetClientRect(host.Handle(), &client);
  ASSERT_EQ(client.right, 240);
  ASSERT_EQ(client.bottom, 140);
  if (tests::screenShowsOurWindows()) {  // the window's commands are checked either way
    const std::vector<COLORREF> shot = screenshot(host.Handle(), 240, 140);
    auto at = [&](int x, int y) { return shot[static_cast<std::size_t>(y * 240 + x)]; };
    EXPECT_EQ(at(5, 5), RGB(255, 255, 255));     // the filled background
    EXPECT_EQ(at(10, 10), RGB(255, 0, 0));       // the nine-part skin's corner
    EXPECT_EQ(at(12, 12), RGB(255, 0, 0));
    EXPECT_EQ(at(60, 11), RGB(255, 0, 0));       // its top edge, stretched
    EXPECT_EQ(at(60, 40), RGB(0, 0, 255));       // its centre
    EXPECT_EQ(at(108, 68), RGB(255, 0, 0));      // the far corner
    int dark = 0;
    for (int y = 80; y < 104; ++y) {
      for (int x = 10; x < 130; ++x) dark += GetRValue(at(x, y)) < 128 ? 1 : 0;
    }
    EXPECT_GT(dark, 20);  // the text is there
    EXPECT_EQ(at(165, 85), RGB(255, 0, 0));      // the button's state 0 image (red)
  }

  PostMessageW(host.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(170, 90));
  PostMessageW(host.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(170, 90));
  pump(200);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].first, 1);
  EXPECT_EQ(commands[0].second, u"ok");
}

}  // namespace
}  // namespace veneer

// The updater against a local HTTP server in each of its modes, in the three
// languages: the page it ends on, the texts drawn there (compared with the
// same text drawn by the toolkit's GDI back end, so CJK glyphs must be real
// glyphs, not boxes), the files it leaves, and the installer it starts. The
// page is the one the window publishes, and the one its pixels show where the
// screen shows them (not for the 32-bit build under Wine: see screen_win.h).
#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>

#include <chrono>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/unique_handle_win.h"
#include "tests/e2e/process_win.h"
#include "tests/e2e/screen_win.h"
#include "tests/e2e/updater_screen_win.h"
#include "update/update_pages.h"
#include "veneer/render/gdi_render_target_win.h"

namespace e2e {
namespace {

using veneer::WindowRect;

const std::wstring kUpdate = windowsPath(UPDATE_EXE);
const std::wstring kServerDir = windowsPath(UPDATE_SERVER_DIR);

using Page = UpdaterPage;

// The layout's font for the pages' texts ("size:14dp" on the tab control) at
// scale 100; the host's default font is 12 pixels high.
constexpr int kLayoutFontHeight = 14;
constexpr int kDefaultFontHeight = 12;

veneer::FontDescription fontOfHeight(int height) {
  veneer::FontDescription font;
  font.face = veneer::DefaultFont{}.face;
  font.height = height;
  return font;
}

// How much of the text's ink in the screenshot matches the same text drawn by
// the toolkit's GDI back end in a font of `fontHeight` on the same background
// (intersection over union). Only the rows above `rowsCompared` (all when 0)
// count: the caption's text rectangle reaches below the blue band into the white body.
double inkMatch(const Screenshot& shot, const std::u16string& text, const WindowRect& rect, unsigned flags,
                COLORREF textColour, COLORREF background, bool lightInk, int rowsCompared = 0,
                int fontHeight = kLayoutFontHeight) {
  const int w = rect.Width();
  const int h = rect.Height();
  veneer::GdiFontCache fonts;
  veneer::GdiRenderTarget expected(w, h, fonts);
  if (!expected.Valid()) return 0;
  auto colour = [](COLORREF c) { return veneer::makeColour(GetRValue(c), GetGValue(c), GetBValue(c)); };
  expected.FillRect(WindowRect{0, 0, w, h}, colour(background));
  expected.DrawText(text, WindowRect{0, 0, w, h}, flags, colour(textColour), fontOfHeight(fontHeight));
  GdiFlush();
  // The red channel separates white text from the blue band (red at most
  // about 90 there, lighter sweep included); dark ink is dark in red and
  // blue, unlike white, the bar's grey track and its blue fill.
  auto ink = [&](COLORREF c) { return lightInk ? GetRValue(c) > 170 : GetRValue(c) < 128 && GetBValue(c) < 128; };
  int both = 0;
  int either = 0;
  for (int y = 0; y < (rowsCompared > 0 ? rowsCompared : h); ++y) {
    for (int x = 0; x < w; ++x) {
      const bool seen = ink(shot.at(rect.left + x, rect.top + y));
      const bool wanted = ink(GetPixel(expected.Dc(), x, y));
      both += seen && wanted;
      either += seen || wanted;
    }
  }
  return either == 0 ? 0 : static_cast<double>(both) / either;
}

// The glyphs of `text` drawn by the test's own GDI are not all the same box:
// the CJK font is installed and mapped in this prefix.
bool glyphsDiffer(const std::u16string& text) {
  std::vector<std::vector<COLORREF>> glyphs;
  for (char16_t c : text) {
    veneer::GdiFontCache fonts;
    veneer::GdiRenderTarget target(16, 16, fonts);
    target.FillRect(WindowRect{0, 0, 16, 16}, veneer::makeColour(255, 255, 255));
    target.DrawText(std::u16string(1, c), WindowRect{0, 0, 16, 16}, 0, veneer::makeColour(0, 0, 0),
                    fontOfHeight(kDefaultFontHeight));
    GdiFlush();
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) pixels.push_back(GetPixel(target.Dc(), x, y));
    }
    glyphs.push_back(pixels);
  }
  for (std::size_t i = 1; i < glyphs.size(); ++i) {
    if (glyphs[i] != glyphs[0]) return true;
  }
  return false;
}

// How well the dark ink of a tooltip's picture matches `text` drawn in the
// status font, the font the platform's tooltips use: both inks are aligned at
// their top-left corners (the tooltip's margins are its own), intersection over union.
double tipMatch(const Screenshot& tip, const std::u16string& text) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return 0;
  common::UniqueGdiObject font(CreateFontIndirectW(&metrics.lfStatusFont));
  common::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  common::UniqueGdiObject bitmap(CreateBitmap(tip.width, tip.height, 1, 32, nullptr));
  if (!font || !dc || !bitmap) return 0;
  HGDIOBJ oldBitmap = SelectObject(dc.get(), bitmap.get());
  HGDIOBJ oldFont = SelectObject(dc.get(), font.get());
  RECT all{0, 0, tip.width, tip.height};
  FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const std::wstring wide(text.begin(), text.end());
  TextOutW(dc.get(), 0, 0, wide.c_str(), static_cast<int>(wide.size()));
  std::vector<COLORREF> drawn;
  for (int y = 0; y < tip.height; ++y) {
    for (int x = 0; x < tip.width; ++x) drawn.push_back(GetPixel(dc.get(), x, y));
  }
  SelectObject(dc.get(), oldFont);
  SelectObject(dc.get(), oldBitmap);
  const auto ink = [](COLORREF c) { return GetRValue(c) < 128 && GetGValue(c) < 128; };
  const auto origin = [&](const auto& at) {
    POINT o{tip.width, tip.height};
    for (int y = 0; y < tip.height; ++y) {
      for (int x = 0; x < tip.width; ++x) {
        if (ink(at(x, y))) o = POINT{std::min<LONG>(o.x, x), std::min<LONG>(o.y, y)};
      }
    }
    return o;
  };
  // The tooltip's frame is dark too: only its inside counts.
  const auto seenAt = [&](int x, int y) {
    return x < 2 || y < 2 || x >= tip.width - 2 || y >= tip.height - 2 ? RGB(255, 255, 255) : tip.at(x, y);
  };
  const auto drawnAt = [&](int x, int y) { return drawn[static_cast<std::size_t>(y * tip.width + x)]; };
  const POINT s = origin(seenAt);
  const POINT d = origin(drawnAt);
  int both = 0;
  int either = 0;
  for (int y = 0; y + std::max(s.y, d.y) < tip.height; ++y) {
    for (int x = 0; x + std::max(s.x, d.x) < tip.width; ++x) {
      const bool seen = ink(seenAt(s.x + x, s.y + y));
      const bool wanted = ink(drawnAt(d.x + x, d.y + y));
      both += seen && wanted;
      either += seen || wanted;
    }
  }
  return either == 0 ? 0 : static_cast<double>(both) / either;
}

void click(HWND window, const WindowRect& r) {
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(window, WM_LBUTTONUP, 0, at);
}

struct UpdateRun {
  Process process;
  HWND window = nullptr;
  Screenshot last;
  Page page = UpdaterPage::kUnknown;
};

class UpdateDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string port = readFile(kServerDir + L"\\port");
    ASSERT_FALSE(port.empty()) << "the update server is not running";
    base_ = L"http://127.0.0.1:" + std::wstring(port.begin(), port.end()) + L"/";
    // Wine reuses process ids, and with them the names tempPath makes: start clean.
    folder_ = tempPath(L"update-dl");
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder_), ignored);
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    oldInstaller_ = folder_ + L"\\setup.exe";
    write(oldInstaller_, "old installer");
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder_), ignored);
  }

  static void write(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
  }

  // Serves `bytes` under `name` from the server's folder.
  void serve(const std::wstring& name, const std::string& bytes) { write(kServerDir + L"\\root\\" + name, bytes); }

  // Starts the updater on `url` in the test's folder, replacing the test's old installer.
  Process startUpdate(const std::wstring& url, const std::wstring& lang, const std::wstring& dlpath) {
    return start(kUpdate,
                 L"--dlurl=" + url + L" --vrc=2.0 \"--dlpath=" + dlpath + L"\" \"--rppath=" + oldInstaller_ +
                     L"\" --lang=" + lang,
                 folder_);
  }

  // Starts the updater and waits for the finished or the error page.
  UpdateRun runUpdate(const std::wstring& url, const std::wstring& lang, const std::wstring& dlpath,
                      DWORD millis = 30000) {
    UpdateRun run;
    run.process = startUpdate(url, lang, dlpath);
    if (!run.process.handle) return run;
    run.window = waitForUpdaterWindow(run.process.pid, kGenerous);
    if (run.window == nullptr) return run;
    for (DWORD waited = 0; waited < millis; waited += 50) {
      Sleep(50);
      run.page = updaterPageOf(run.window);
      if (run.page == UpdaterPage::kFinished || run.page == UpdaterPage::kError) break;
    }
    if (screen_) {
      Sleep(200);  // let the last paint settle
      run.last = captureWindow(run.window);
      EXPECT_EQ(updaterPageOf(run.last), run.page) << "the pixels show another page than the window names";
    }
    return run;
  }

  // An updater on a 2,000,000-byte file of `fill` served at the slow rate
  // (about 8 s), and its window (null when none showed).
  std::pair<Process, HWND> startSlowDownload(const std::wstring& name, char fill, const std::wstring& dlpath) {
    serve(name, std::string(2000000, fill));
    Process update = startUpdate(base_ + L"slow/" + name, L"us", dlpath);
    HWND window = update.handle ? waitForUpdaterWindow(update.pid, kGenerous) : nullptr;
    return {std::move(update), window};
  }

  void finish(UpdateRun& run, const std::wstring& shot, bool clickButton) {
    if (screen_) run.last.save(screenshotFolder() + L"\\" + shot);
    if (clickButton) {
      click(run.window, run.page == UpdaterPage::kFinished ? kDoneButton : kCloseButton);
    } else {
      PostMessageW(run.window, WM_CLOSE, 0, 0);
    }
    const std::optional<DWORD> code = waitExit(run.process.handle.get(), kGenerous);
    if (!code) TerminateProcess(run.process.handle.get(), 99);
    EXPECT_EQ(code, std::optional<DWORD>(0u));
  }

  void expectCaption(const UpdateRun& run, const std::u16string& text) {
    if (!screen_) return;
    EXPECT_GE(inkMatch(run.last, text, kCaptionText, veneer::kTextSingleLine | veneer::kTextVCenter,
                       RGB(255, 255, 255), kCaptionBlue, true, kCaptionBandRows),
              0.8)
        << std::string(text.begin(), text.end());
  }
  // The text is drawn in the layout's font, not in the host's default.
  void expectErrorText(const UpdateRun& run, const std::u16string& text) {
    if (!screen_) return;
    auto match = [&](int height) {
      return inkMatch(run.last, text, kErrorText, veneer::kTextSingleLine, RGB(0, 0, 0), RGB(255, 255, 255), false,
                      0, height);
    };
    EXPECT_GE(match(kLayoutFontHeight), 0.8);
    EXPECT_LT(match(kDefaultFontHeight), match(kLayoutFontHeight) - 0.2);
  }

  const bool screen_ = screenShowsOurWindows();
  std::wstring base_;
  std::wstring folder_;
  std::wstring oldInstaller_;
};

// A good download in each language ends on the finished page; the new
// installer replaced the old one and the download is gone.
TEST_F(UpdateDownloadTest, NormalDownloadInEachLanguage) {
  const std::string body(300000, 'n');
  serve(L"setup-normal.bin", body);
  const std::pair<const wchar_t*, std::u16string> languages[] = {
      {L"us", u"Update Finished"}, {L"cn", u"\u66f4\u65b0\u5b8c\u6210"}, {L"hk", u"\u66f4\u65b0\u5b8c\u6210"}};
  for (const auto& [lang, caption] : languages) {
    write(oldInstaller_, "old installer");
    const std::wstring dlpath = folder_ + L"\\dl-" + lang + L"\\setup.exe";
    UpdateRun run = runUpdate(base_ + L"file/setup-normal.bin", lang, dlpath);
    ASSERT_NE(run.window, nullptr);
    EXPECT_EQ(run.page, UpdaterPage::kFinished) << "lang " << std::string(lang, lang + 2);
    expectCaption(run, caption);
    EXPECT_EQ(readFile(oldInstaller_), body);
    EXPECT_FALSE(exists(dlpath));
    EXPECT_FALSE(exists(oldInstaller_ + L".download"));
    if (std::wstring(lang) == L"hk") {
      // "Done" with the installer gone: the window stays, on the error page
      // with the message in the user's language, and the log says why.
      DeleteFileW(oldInstaller_.c_str());
      click(run.window, kDoneButton);
      for (int i = 0; i < 100 && updaterPageOf(run.window) != UpdaterPage::kError; ++i) Sleep(50);
      EXPECT_EQ(updaterPageOf(run.window), UpdaterPage::kError);
      EXPECT_FALSE(waitExit(run.process.handle.get(), 0).has_value());
      if (screen_) {
        Sleep(200);
        run.last = captureWindow(run.window);
        expectErrorText(run, u"\u5b89\u88dd\u7a0b\u5f0f\u672a\u80fd\u555f\u52d5\uff0c\u8acb\u91cd\u65b0\u66f4\u65b0");
      }
      finish(run, L"update-start-fail-hk.bmp", false);
      EXPECT_NE(readFile(folder_ + L"\\log\\update-0.log").find("the installer could not be started (error 2)"),
                std::string::npos);
    } else {
      finish(run, std::wstring(L"update-finished-") + lang + L".bmp", false);
    }
  }
  if (screen_) {
    EXPECT_TRUE(glyphsDiffer(u"\u66f4\u65b0\u5b8c\u6210"));  // the prefix draws CJK glyphs
  }
}

// "Done" starts the new installer with its options in its own folder, and the window closes.
TEST_F(UpdateDownloadTest, DoneStartsTheNewInstaller) {
  RecorderFile recorder;
  SetEnvironmentVariableW(L"RECORD_ARGS_CWD", L"1");
  serve(L"record_args.exe", readFile(windowsPath(RECORD_ARGS_EXE)));
  UpdateRun run = runUpdate(base_ + L"file/record_args.exe", L"us", folder_ + L"\\dl\\setup.exe");
  ASSERT_EQ(run.page, UpdaterPage::kFinished);
  finish(run, L"update-done.bmp", true);
  std::string recorded;
  for (int i = 0; i < 100 && recorded.empty(); ++i, Sleep(100)) recorded = recorder.text();
  SetEnvironmentVariableW(L"RECORD_ARGS_CWD", nullptr);
  const std::string folder(folder_.begin(), folder_.end());
  EXPECT_EQ(recorded, "show=99 args=\"--delay=1\" \"--runarg=update\" cwd=" + folder + "\n");
  // The old installer was not signed: the download went through unverified, and the log says so.
  EXPECT_NE(readFile(folder_ + L"\\log\\update-0.log").find("the download was not verified"), std::string::npos);

}

// A signed installer is replaced only by a download of the same publisher,
// which "Done" then starts; a download that is tampered with, unsigned or
// signed by somebody else ends on the error page in each language, is
// removed, and leaves the old installer byte for byte as it was.
TEST_F(UpdateDownloadTest, SignedInstallerTakesOnlyItsPublishersDownload) {
  const std::string publisher = readFile(windowsPath(SIGNED_RECORD_ARGS_EXE));
  const std::string signedOld = readFile(windowsPath(KICKOFF_EXE));  // a program of the product, signed
  ASSERT_GT(publisher.size(), 0x800u);
  std::string tampered = publisher;
  tampered[0x600] = static_cast<char>(tampered[0x600] ^ 1);  // in the code, after signing
  serve(L"signed.exe", publisher);
  serve(L"tampered.exe", tampered);
  serve(L"unsigned.exe", readFile(windowsPath(RECORD_ARGS_EXE)));
  serve(L"other.exe", readFile(windowsPath(OTHER_RECORD_ARGS_EXE)));

  const std::pair<const wchar_t*, std::u16string> reasons[] = {
      {L"us", u"Signature check failed, please update again."},
      {L"cn", u"\u4e0b\u8f7d\u6587\u4ef6\u7684\u7b7e\u540d\u6821\u9a8c\u5931\u8d25\uff0c\u8bf7\u91cd\u65b0\u66f4\u65b0"},
      {L"hk", u"\u4e0b\u8f09\u6587\u4ef6\u7684\u7c3d\u540d\u6821\u9a57\u5931\u6557\uff0c\u8acb\u91cd\u65b0\u66f4\u65b0"}};
  for (const wchar_t* download : {L"tampered.exe", L"unsigned.exe", L"other.exe"}) {
    for (const auto& [lang, reason] : reasons) {
      SCOPED_TRACE(std::string(download, download + wcslen(download)) + " " + std::string(lang, lang + 2));
      write(oldInstaller_, signedOld);
      const std::wstring dlpath = folder_ + L"\\dl\\setup.exe";
      UpdateRun run = runUpdate(base_ + L"file/" + download, lang, dlpath);
      EXPECT_EQ(run.page, UpdaterPage::kError);
      expectErrorText(run, reason);
      EXPECT_TRUE(readFile(oldInstaller_) == signedOld);
      EXPECT_FALSE(exists(dlpath));
      finish(run, std::wstring(L"update-sign-fail-") + lang + L".bmp", false);
    }
  }

  RecorderFile recorder;
  write(oldInstaller_, signedOld);
  UpdateRun run = runUpdate(base_ + L"file/signed.exe", L"us", folder_ + L"\\dl\\setup.exe");
  ASSERT_EQ(run.page, UpdaterPage::kFinished);
  EXPECT_TRUE(readFile(oldInstaller_) == publisher);
  finish(run, L"update-signed.bmp", true);
  std::string recorded;
  for (int i = 0; i < 100 && recorded.empty(); ++i, Sleep(100)) recorded = recorder.text();
  EXPECT_EQ(recorded, "show=99 args=\"--delay=1\" \"--runarg=update\"\n");
}

// Sets the system proxy of HKEY_CURRENT_USER for the test's life, as a
// client that died leaves it: pointing at its own port, where nothing answers.
class DeadSystemProxy {
 public:
  DeadSystemProxy() {
    RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key_.put(), nullptr);
    DWORD size = sizeof enable_;
    hadEnable_ = RegQueryValueExW(key_.get(), L"ProxyEnable", nullptr, nullptr, reinterpret_cast<BYTE*>(&enable_),
                                  &size) == ERROR_SUCCESS;
    size = sizeof server_ - sizeof(wchar_t);
    hadServer_ = RegQueryValueExW(key_.get(), L"ProxyServer", nullptr, nullptr, reinterpret_cast<BYTE*>(server_),
                                  &size) == ERROR_SUCCESS;
    const DWORD on = 1;
    const wchar_t dead[] = L"127.0.0.1:1";
    RegSetValueExW(key_.get(), L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
    RegSetValueExW(key_.get(), L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(dead), sizeof dead);
  }
  ~DeadSystemProxy() {
    if (hadEnable_) {
      RegSetValueExW(key_.get(), L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable_), sizeof enable_);
    } else {
      RegDeleteValueW(key_.get(), L"ProxyEnable");
    }
    if (hadServer_) {
      RegSetValueExW(key_.get(), L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server_),
                     static_cast<DWORD>((wcslen(server_) + 1) * sizeof(wchar_t)));
    } else {
      RegDeleteValueW(key_.get(), L"ProxyServer");
    }
  }

 private:
  static constexpr wchar_t kKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
  common::UniqueHKey key_;
  DWORD enable_ = 0;
  wchar_t server_[512] = {};
  bool hadEnable_ = false, hadServer_ = false;
};

// A server that breaks off, ignores ranges, stalls, is busy or down, and a
// system proxy that is dead: the file ends byte for byte as the server has
// it, with the requests and the log lines that say how; a server that stays
// down ends on the error page after five attempts, the old installer kept.
TEST_F(UpdateDownloadTest, BreaksBusyServersAndADeadProxy) {
  std::string body(600000, '\0');
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>((i * 7919) >> 5);
  const struct {
    const wchar_t* mode;
    bool deadProxy;
    const char* logLine;        // in the updater's log
    const char* secondRequest;  // the second request the server saw: "-" without a range, "range" with one, "" none
    bool done;
  } cases[] = {
      {L"break", false, "the connection closed after 200000 of 600000 bytes", "range", true},
      {L"norange", false, "the server ignored the range: the download starts again", "range", true},
      {L"busy", false, "the server answered 503 with Retry-After 1 s", "-", true},
      {L"file", true, "the proxy does not answer: the next attempt goes direct", "", true},
      {L"down", false, "5 attempts in a row brought nothing: giving up", "-", false},
      {L"stall", false, "the transfer broke after", "range", true},
  };
  const std::wstring log = folder_ + L"\\log\\update-0.log";
  for (const auto& c : cases) {
    const std::string mode(c.mode, c.mode + wcslen(c.mode));
    SCOPED_TRACE(mode);
    const std::wstring name = std::wstring(L"trouble-") + c.mode + L".bin";
    serve(name, body);
    write(oldInstaller_, "old installer");
    const std::size_t logBefore = readFile(log).size();
    const std::wstring requestLog = kServerDir + L"\\root\\requests.log";
    const std::size_t requestsBefore = readFile(requestLog).size();
    const std::wstring dlpath = folder_ + L"\\dl\\setup.exe";
    std::optional<DeadSystemProxy> proxy;
    if (c.deadProxy) proxy.emplace();
    UpdateRun run = runUpdate(base_ + c.mode + L"/" + name, L"us", dlpath, 90000);
    proxy.reset();
    EXPECT_EQ(run.page, c.done ? UpdaterPage::kFinished : UpdaterPage::kError);
    EXPECT_TRUE(readFile(oldInstaller_) == (c.done ? body : std::string("old installer")));
    const std::string said = readFile(log).substr(logBefore);
    EXPECT_NE(said.find(c.logLine), std::string::npos) << said;
    // What the server saw of this path, a line a request: "PATH RANGE".
    std::vector<std::string> requests;
    std::istringstream lines(readFile(requestLog).substr(requestsBefore));
    const std::string path = "/" + mode + "/trouble-" + mode + ".bin ";
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind(path, 0) == 0) requests.push_back(line.substr(path.size()));
    }
    if (c.secondRequest[0] != '\0' && requests.size() < 2) {
      ADD_FAILURE() << "the server saw " << requests.size() << " requests";
    } else if (c.secondRequest[0] != '\0') {
      if (std::string(c.secondRequest) == "range") {
        // From where the file stopped: after a third, or a little before it
        // where WinINet dropped what it held of a read that timed out.
        EXPECT_EQ(requests[1].rfind("bytes=", 0), 0u) << requests[1];
        const long from = std::atol(requests[1].c_str() + std::min<std::size_t>(6, requests[1].size()));
        EXPECT_TRUE(from > 190000 && from <= 200000) << requests[1];
      } else {
        EXPECT_EQ(requests[1], c.secondRequest);
      }
    }
    if (!c.done) {
      EXPECT_EQ(requests.size(), 5u);
    }
    finish(run, L"update-trouble-" + std::wstring(c.mode) + L".bmp", false);
  }
}

// The test root in the machine's Root store for the object's life, where
// Wine's chain engine (and Windows') looks for the roots it trusts. Wine
// writes a system store's removals to the registry only when told to commit.
class MachineRoot {
 public:
  MachineRoot() {
    const std::string pem = readFile(windowsPath(TEST_ROOT_PEM));
    DWORD size = 0;
    CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr);
    der_.resize(size);
    if (size == 0 || !CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der_.data(), &size, nullptr,
                                           nullptr)) {
      der_.clear();
      return;
    }
    HCERTSTORE store = openRoot();
    if (store == nullptr) return;
    added_ = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der_.data(), size,
                                              CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != FALSE;
    CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
    CertCloseStore(store, 0);
  }
  ~MachineRoot() {
    if (!added_) return;
    HCERTSTORE store = openRoot();
    if (store == nullptr) return;
    PCCERT_CONTEXT root = CertCreateCertificateContext(X509_ASN_ENCODING, der_.data(), static_cast<DWORD>(der_.size()));
    PCCERT_CONTEXT held =
        root ? CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, root, nullptr) : nullptr;
    if (held != nullptr) CertDeleteCertificateFromStore(held);  // frees `held`
    if (root != nullptr) CertFreeCertificateContext(root);
    CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
    CertCloseStore(store, 0);
  }
  MachineRoot(const MachineRoot&) = delete;
  MachineRoot& operator=(const MachineRoot&) = delete;
  bool added() const { return added_; }

 private:
  static HCERTSTORE openRoot() {
    return CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
  }
  std::vector<BYTE> der_;
  bool added_ = false;
};

// An installer signed with the publisher's certificate of a trusted root
// takes a download signed with the publisher's renewed certificate (same
// organisation and name, another key); not while the root is not trusted,
// and never one of another name under the same root or a self-signed one of
// the same name. A refused download is removed, the old installer kept.
TEST_F(UpdateDownloadTest, RenewedCertificateOfThePublisherIsTaken) {
  const auto rooted = [](const wchar_t* name) {
    return readFile(windowsPath(ROOTED_RECORD_ARGS_DIR) + L"\\record_args-" + name + L".exe");
  };
  const std::string old = rooted(L"publisher-2024"), renewed = rooted(L"publisher-2026");
  ASSERT_GT(old.size(), 0x800u);
  serve(L"renewed.exe", renewed);
  serve(L"rooted-other.exe", rooted(L"rooted-other"));
  serve(L"self-signed-same-name.exe", readFile(windowsPath(SIGNED_RECORD_ARGS_EXE)));
  const std::wstring log = folder_ + L"\\log\\update-0.log";
  const auto attempt = [&](const wchar_t* download, bool taken, const char* logLine) {
    SCOPED_TRACE(std::string(download, download + wcslen(download)));
    write(oldInstaller_, old);
    const std::size_t before = readFile(log).size();
    const std::wstring dlpath = folder_ + L"\\dl\\setup.exe";
    UpdateRun run = runUpdate(base_ + L"file/" + download, L"us", dlpath);
    EXPECT_EQ(run.page, taken ? UpdaterPage::kFinished : UpdaterPage::kError);
    EXPECT_TRUE(readFile(oldInstaller_) == (taken ? renewed : old));
    EXPECT_FALSE(exists(dlpath));
    EXPECT_NE(readFile(log).substr(before).find(logLine), std::string::npos) << readFile(log).substr(before);
    finish(run, L"update-renewed.bmp", false);
  };
  attempt(L"renewed.exe", false, "its certificate names the publisher, but no trusted root vouches for it");
  const MachineRoot root;
  ASSERT_TRUE(root.added());
  attempt(L"renewed.exe", true, "the download is signed with the publisher's renewed certificate: taken");
  attempt(L"rooted-other.exe", false, "it is signed by another publisher");
  attempt(L"self-signed-same-name.exe", false, "its certificate names the publisher, but no trusted root vouches for it");
}

struct ErrorMode {
  const wchar_t* path;  // the server's mode
  const char* errorKey;
};

// Every failing server mode in every language: the error page with the
// translated caption and reason, and the old installer untouched.
TEST_F(UpdateDownloadTest, ErrorModesInEachLanguage) {
  serve(L"setup-error.bin", std::string(100000, 'e'));
  const std::pair<const wchar_t*, std::u16string> captions[] = {
      {L"us", u"Update Error"}, {L"cn", u"\u66f4\u65b0\u51fa\u9519"}, {L"hk", u"\u66f4\u65b0\u51fa\u932f"}};
  const std::map<std::string, std::map<std::wstring, std::u16string>> reasons = {
      {"{net error}",
       {{L"us", u"Plese check internet condition"},
        {L"cn", u"\u8bf7\u68c0\u67e5\u7f51\u7edc\u8fde\u63a5\u72b6\u6001"},
        {L"hk", u"\u8acb\u6aa2\u67e5\u7db2\u7d61\u9023\u63a5\u72c0\u614b"}}},
      {"{viryfy fail}",
       {{L"us", u"Incomplete downloading files"},
        {L"cn", u"\u4e0b\u8f7d\u6587\u4ef6\u4e0d\u5b8c\u6574"},
        {L"hk", u"\u4e0b\u8f09\u6587\u4ef6\u4e0d\u5b8c\u6574"}}}};
  const ErrorMode modes[] = {{L"404/", "{net error}"}, {L"nolength/", "{net error}"}, {L"short/", "{viryfy fail}"}};
  for (const ErrorMode& mode : modes) {
    for (const auto& [lang, caption] : captions) {
      SCOPED_TRACE(std::string(mode.errorKey) + " " + std::string(lang, lang + 2));
      write(oldInstaller_, "old installer");
      UpdateRun run = runUpdate(base_ + mode.path + L"setup-error.bin", lang, folder_ + L"\\dl\\setup.exe");
      EXPECT_EQ(run.page, UpdaterPage::kError);
      expectCaption(run, caption);
      expectErrorText(run, reasons.at(mode.errorKey).at(lang));
      EXPECT_EQ(readFile(oldInstaller_), "old installer");
      if (screen_ && std::wstring(lang) == L"hk" && std::wstring(mode.path) == L"404/") {
        // The check tells the languages apart: the simplified caption differs
        // from the traditional one in half a glyph, and it scores lower.
        const auto match = [&](const std::u16string& text) {
          return inkMatch(run.last, text, kCaptionText, veneer::kTextSingleLine | veneer::kTextVCenter,
                          RGB(255, 255, 255), kCaptionBlue, true, kCaptionBandRows);
        };
        EXPECT_LT(match(u"\u66f4\u65b0\u51fa\u9519"), match(caption));
        EXPECT_LT(match(u"Update Error"), 0.3);
        EXPECT_TRUE(glyphsDiffer(u"\u8acb\u6aa2\u67e5"));
      }
      const std::wstring shot = std::wstring(L"update-") + std::wstring(mode.path).substr(0, wcslen(mode.path) - 1) +
                                L"-" + lang + L".bmp";
      finish(run, shot, std::wstring(lang) == L"hk");  // in Chinese (traditional) through the "{close}" button
    }
  }
}

// The same file as download and installer is refused before anything changes.
TEST_F(UpdateDownloadTest, SameFileTwiceIsRefused) {
  serve(L"setup-same.bin", "new");
  UpdateRun run = runUpdate(base_ + L"file/setup-same.bin", L"us", oldInstaller_);
  EXPECT_EQ(run.page, UpdaterPage::kError);
  expectErrorText(run, u"Repalce filed, please update again.");
  EXPECT_EQ(readFile(oldInstaller_), "old installer");
  finish(run, L"update-same-file-us.bmp", false);
}

// The window answers the mouse: "Done" shows its hover picture while the
// mouse is on it and its pressed picture while pressed, wherever the mouse
// is, and goes back to normal at a release elsewhere (which starts nothing); the
// caption's close button shows its grey cross only while the mouse is on it;
// a press on the caption's text drags the window.
TEST_F(UpdateDownloadTest, ButtonsAndCaptionAnswerTheMouse) {
  serve(L"setup-mouse.bin", std::string(1000, 'm'));
  UpdateRun run = runUpdate(base_ + L"file/setup-mouse.bin", L"us", folder_ + L"\\dl\\setup.exe");
  ASSERT_EQ(run.page, UpdaterPage::kFinished);
  const auto moveTo = [&](int x, int y) {
    POINT p{x, y};
    ClientToScreen(run.window, &p);
    SetCursorPos(p.x, p.y);  // the real pointer: the window tracks when it leaves
  };
  // The pixel at (x, y) once it has become `colour` (or the last one seen after 3 s).
  const auto settlesTo = [&](int x, int y, COLORREF colour, bool wanted = true) {
    for (int i = 0; i < 60; ++i, Sleep(50)) {
      run.last = captureWindow(run.window);
      if (coloursClose(run.last.at(x, y), colour, 12) == wanted) return true;
    }
    return false;
  };
  if (screen_) {
    const int fillX = kDoneButton.left + 12, fillY = (kDoneButton.top + kDoneButton.bottom) / 2;
    const int doneX = (kDoneButton.left + kDoneButton.right) / 2;
    EXPECT_TRUE(coloursClose(run.last.at(fillX, fillY), RGB(0x53, 0xB0, 0xFE), 12));
    moveTo(doneX, fillY);
    EXPECT_TRUE(settlesTo(fillX, fillY, RGB(0x6A, 0xBB, 0xFF)));
    run.last.save(screenshotFolder() + L"\\update-hover-done.bmp");
    PostMessageW(run.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(doneX, fillY));
    EXPECT_TRUE(settlesTo(fillX, fillY, RGB(0x40, 0xA6, 0xFC)));
    run.last.save(screenshotFolder() + L"\\update-pressed-done.bmp");
    moveTo(10, 100);
    Sleep(300);
    run.last = captureWindow(run.window);
    EXPECT_TRUE(coloursClose(run.last.at(fillX, fillY), RGB(0x40, 0xA6, 0xFC), 12));  // still pushed
    PostMessageW(run.window, WM_LBUTTONUP, 0, MAKELPARAM(10, 100));
    EXPECT_TRUE(settlesTo(fillX, fillY, RGB(0x53, 0xB0, 0xFE)));
    EXPECT_TRUE(IsWindow(run.window));  // released elsewhere: nothing started

    // The close button's normal state is transparent: the caption's blue shows through its middle.
    const int closeX = 302 - 11, closeY = 10;
    EXPECT_TRUE(coloursClose(run.last.at(closeX, closeY), kCaptionBlue, 24));
    moveTo(closeX, closeY);
    EXPECT_TRUE(settlesTo(closeX, closeY, kCaptionBlue, false));
    run.last.save(screenshotFolder() + L"\\update-hover-close.bmp");
    moveTo(150, 100);
    EXPECT_TRUE(settlesTo(closeX, closeY, kCaptionBlue));
  }

  // A press on the caption's text and a move of the mouse move the window.
  RECT before{};
  GetWindowRect(run.window, &before);
  moveTo(40, 20);  // on "Update Finished"
  INPUT press{};
  press.type = INPUT_MOUSE;
  press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  SendInput(1, &press, sizeof press);
  Sleep(200);
  POINT grip{40, 20};
  ClientToScreen(run.window, &grip);  // screen steps: the window follows the pointer
  for (int step = 1; step <= 6; ++step) {
    SetCursorPos(grip.x + 5 * step, grip.y + 3 * step);
    Sleep(50);
  }
  INPUT release = press;
  release.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &release, sizeof release);
  RECT after{};
  for (int i = 0; i < 40 && (GetWindowRect(run.window, &after), after.left == before.left); ++i) Sleep(50);
  EXPECT_EQ(after.left - before.left, 30);
  EXPECT_EQ(after.top - before.top, 18);
  SetCursorPos(0, 0);  // out of the way of the next window
  finish(run, L"update-mouse-us.bmp", false);
}

// Resting the mouse on the caption's close button shows its tip in a tooltip
// of the platform, in the updater's language, and leaving hides it. Wine's
// tooltip answers no WM_GETTEXT from another process: the screenshot shows the text.
TEST_F(UpdateDownloadTest, CloseButtonTipInEachLanguage) {
  serve(L"setup-tip.bin", std::string(1000, 't'));
  const std::pair<const wchar_t*, std::u16string> tips[] = {
      {L"us", u"Close"}, {L"cn", u"\u5173\u95ed"}, {L"hk", u"\u95dc\u9589"}};
  for (const auto& [lang, text] : tips) {
    SCOPED_TRACE(std::string(lang, lang + 2));
    UpdateRun run = runUpdate(base_ + L"file/setup-tip.bin", lang, folder_ + L"\\dl-" + lang + L"\\setup.exe");
    ASSERT_EQ(run.page, UpdaterPage::kFinished);
    POINT close{302 - 11, 10};
    ClientToScreen(run.window, &close);
    SetCursorPos(close.x, close.y);
    const HWND tip = waitForVisibleWindow(run.process.pid, L"tooltips_class32", 5000);
    ASSERT_NE(tip, nullptr);
    Sleep(200);  // drawn
    if (screen_) {
      const Screenshot shot = captureWindow(tip);
      shot.save(screenshotFolder() + L"\\update-tooltip-" + lang + L".bmp");
      double others = 0;
      for (const auto& [otherLang, other] : tips) {
        if (other != text) others = std::max(others, tipMatch(shot, other));
      }
      EXPECT_GE(tipMatch(shot, text), 0.7);
      EXPECT_LT(others, tipMatch(shot, text) - 0.2);
    }
    POINT away{150, 100};
    ClientToScreen(run.window, &away);
    SetCursorPos(away.x, away.y);
    for (int i = 0; i < 60 && IsWindowVisible(tip); ++i) Sleep(50);
    EXPECT_FALSE(IsWindowVisible(tip));
    finish(run, std::wstring(L"update-tip-") + lang + L".bmp", false);
  }
}

// An installer path of 255 characters: the copy staged beside it is longer
// than the classic path limit, and the update still goes through.
TEST_F(UpdateDownloadTest, InstallerPathNearTheLimit) {
  const std::wstring file = L"\\setup.exe";
  const std::size_t folderLength = 255 - folder_.size() - 1 - file.size();  // folder, separator, name, file
  const std::wstring deep = folder_ + L"\\" + std::wstring(folderLength, L'd');
  ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
  oldInstaller_ = deep + file;
  ASSERT_EQ(oldInstaller_.size(), 255u);
  write(oldInstaller_, "old installer");
  serve(L"setup-long.bin", "new installer");
  UpdateRun run = runUpdate(base_ + L"file/setup-long.bin", L"us", folder_ + L"\\dl\\setup.exe");
  EXPECT_EQ(run.page, UpdaterPage::kFinished);
  EXPECT_EQ(readFile(oldInstaller_), "new installer");
  finish(run, L"update-long-path-us.bmp", false);
}

// A slow transfer shows the download page with a partly filled bar, then finishes.
TEST_F(UpdateDownloadTest, SlowDownloadShowsProgress) {
  if (!screen_) GTEST_SKIP() << kNoScreenReason;
  serve(L"setup-slow.bin", std::string(600000, 'w'));  // about 2.3 s at the server's slow rate
  Process update = startUpdate(base_ + L"slow/setup-slow.bin", L"us", folder_ + L"\\dl\\setup.exe");
  ASSERT_TRUE(update.handle);
  HWND window = waitForUpdaterWindow(update.pid, kGenerous);
  ASSERT_NE(window, nullptr);
  bool sawPartialBar = false;
  for (int i = 0; i < 200 && !sawPartialBar; ++i) {
    Sleep(50);
    const Screenshot shot = captureWindow(window);
    if (updaterPageOf(shot) != UpdaterPage::kProgress) continue;
    // Filled at the left end, still the grey track at the right end.
    const bool filled = coloursClose(shot.at(kBar.left + 8, kBar.top + 7), kButtonBlue, 30);
    const bool empty = coloursClose(shot.at(kBar.right - 8, kBar.top + 7), kTrackGrey, 30);
    if (filled && empty) {
      sawPartialBar = true;
      shot.save(screenshotFolder() + L"\\update-downloading-us.bmp");
      EXPECT_GE(inkMatch(shot, u"Downloading", kCaptionText, veneer::kTextSingleLine | veneer::kTextVCenter,
                         RGB(255, 255, 255), kCaptionBlue, true, kCaptionBandRows),
                0.8);
      // The percentage (whichever it is) in the bar's font, inherited from the layout's.
      auto bestPercentage = [&](int height) {
        double best = 0;
        for (int p = 0; p <= 100; ++p) {
          const std::string text = std::to_string(p) + "%";
          best = std::max(best, inkMatch(shot, std::u16string(text.begin(), text.end()), kBar,
                                         veneer::kTextCenter | veneer::kTextVCenter | veneer::kTextSingleLine,
                                         RGB(0, 0, 0), RGB(255, 255, 255), false, 0, height));
        }
        return best;
      };
      EXPECT_GE(bestPercentage(kLayoutFontHeight), 0.8);
      EXPECT_LT(bestPercentage(kDefaultFontHeight), bestPercentage(kLayoutFontHeight) - 0.2);
    }
  }
  EXPECT_TRUE(sawPartialBar);
  UpdaterPage page = UpdaterPage::kUnknown;
  for (int i = 0; i < 400 && page != UpdaterPage::kFinished; ++i, Sleep(50)) page = updaterPageOf(captureWindow(window));
  EXPECT_EQ(page, UpdaterPage::kFinished);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(waitExit(update.handle.get(), kGenerous), std::optional<DWORD>(0u));
  EXPECT_EQ(readFile(oldInstaller_).size(), 600000u);
}

// The caption's close button during the download ends the updater at once;
// the partial download stays and the old installer is untouched.
TEST_F(UpdateDownloadTest, CloseDuringTheDownload) {
  const std::wstring dlpath = folder_ + L"\\dl\\setup.exe";
  auto [update, window] = startSlowDownload(L"setup-slow-close.bin", 'c', dlpath);
  ASSERT_NE(window, nullptr);
  Sleep(1500);
  ASSERT_EQ(updaterPageOf(window), UpdaterPage::kProgress);
  click(window, WindowRect{278, 4, 298, 24});  // the caption's close button
  EXPECT_EQ(waitExit(update.handle.get(), kGenerous), std::optional<DWORD>(0u));
  EXPECT_EQ(readFile(oldInstaller_), "old installer");
  const std::size_t partial = readFile(dlpath).size();
  EXPECT_GT(partial, 0u);
  EXPECT_LT(partial, 2000000u);
}

// The updater ended by force at 20 moments spread over a download and its
// replacement (as a shutdown or the task manager ends it): the installer it
// replaces is each time either the old one or the new one, whole.
TEST_F(UpdateDownloadTest, EndedAtAnyMomentTheInstallerIsWhole) {
  std::string body(8000000, '\0');
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 131 >> 7);
  serve(L"setup-ended.bin", body);
  const std::wstring dlpath = folder_ + L"\\dl\\setup.exe";
  const auto untilFinished = [&](DWORD killAfter) {
    write(oldInstaller_, "old installer");
    Process update = startUpdate(base_ + L"file/setup-ended.bin", L"us", dlpath);
    const ULONGLONG started = GetTickCount64();
    HWND window = waitForUpdaterWindow(update.pid, kGenerous);
    // Until the end (the finished or the error page, at most a minute) or the moment.
    const auto ended = [&] {
      const Page page = updaterPageOf(window);
      return page == UpdaterPage::kFinished || page == UpdaterPage::kError || GetTickCount64() - started > 60000;
    };
    while (window != nullptr && !ended() && GetTickCount64() - started < killAfter) Sleep(5);
    const auto took = static_cast<DWORD>(GetTickCount64() - started);
    TerminateProcess(update.handle.get(), 9);
    waitExit(update.handle.get(), kGenerous);
    return took;
  };
  const DWORD whole = untilFinished(INFINITE);
  ASSERT_TRUE(readFile(oldInstaller_) == body) << "a run to its end replaces the installer";
  int oldSeen = 0, newSeen = 0;
  for (DWORD moment = 1; moment <= 20; ++moment) {
    untilFinished(whole * moment / 20);
    const std::string installer = readFile(oldInstaller_);
    EXPECT_TRUE(installer == "old installer" || installer == body) << "ended at " << moment << "/20: "
                                                                    << installer.size() << " bytes";
    (installer == body ? newSeen : oldSeen) += 1;
  }
  EXPECT_GT(oldSeen, 0);
}

// A second updater for the same installer (spelt in other letters) while
// the first downloads: it brings the first window to the front and ends with
// 3, writing nothing; the first goes on.
TEST_F(UpdateDownloadTest, SecondUpdaterBringsTheFirstForward) {
  const std::wstring dlpath = folder_ + L"\\dl\\setup.exe";
  auto [first, window] = startSlowDownload(L"setup-slow-twice.bin", 't', dlpath);
  ASSERT_NE(window, nullptr);
  HWND other = CreateWindowExW(0, L"STATIC", L"elsewhere", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                               nullptr, nullptr, nullptr);
  SetForegroundWindow(other);

  std::wstring shouted = oldInstaller_;
  for (wchar_t& c : shouted) c = static_cast<wchar_t>(towupper(c));
  const std::wstring secondDownload = folder_ + L"\\dl2\\setup.exe";
  Process second = start(kUpdate,
                         L"--dlurl=" + base_ + L"file/setup-slow-twice.bin --vrc=2.0 \"--dlpath=" + secondDownload +
                             L"\" \"--rppath=" + shouted + L"\" --lang=us",
                         folder_);
  ASSERT_TRUE(second.handle);
  EXPECT_EQ(waitExit(second.handle.get(), kGenerous), std::optional<DWORD>(3u));
  EXPECT_EQ(GetForegroundWindow(), window);
  EXPECT_FALSE(exists(secondDownload));
  EXPECT_FALSE(waitExit(first.handle.get(), 0).has_value());
  DestroyWindow(other);
  for (int i = 0; i < 600 && updaterPageOf(window) != UpdaterPage::kFinished; ++i) Sleep(50);
  EXPECT_EQ(updaterPageOf(window), UpdaterPage::kFinished);
  EXPECT_EQ(readFile(oldInstaller_), std::string(2000000, 't'));
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(waitExit(first.handle.get(), kGenerous), std::optional<DWORD>(0u));
}

// Changes of the display's scale while the download runs, the window dragged
// away from the middle: it is rescaled to 125, 150 and 200 in turn, resized
// by the rules and centred each time on where it was (it is the active
// window), kept inside the work area, and draws the layout of that scale
// (the caption band grows with it).
TEST_F(UpdateDownloadTest, ScaleChangeWhileDownloading) {
  serve(L"setup-slow-scale.bin", std::string(2000000, 's'));  // about 8 s at the slow rate
  Process update = startUpdate(base_ + L"slow/setup-slow-scale.bin", L"us", folder_ + L"\\dl\\setup.exe");
  ASSERT_TRUE(update.handle);
  HWND window = waitForUpdaterWindow(update.pid, kGenerous);
  ASSERT_NE(window, nullptr);
  Sleep(1000);
  ASSERT_EQ(updaterPageOf(window), UpdaterPage::kProgress);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  SetWindowPos(window, nullptr, work.left + 200, work.top + 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  int scale = 100;
  for (const auto& [dpi, newScale] : {std::pair{120, 125}, {144, 150}, {192, 200}}) {
    SCOPED_TRACE(newScale);
    RECT before{};
    GetWindowRect(window, &before);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0);
    RECT after{};
    GetWindowRect(window, &after);
    const WindowRect expected =
        update::RescaleRect(WindowRect{before.left, before.top, before.right, before.bottom}, newScale, scale);
    scale = newScale;
    EXPECT_EQ(after.right - after.left, expected.Width());
    EXPECT_EQ(after.bottom - after.top, expected.Height());
    // Centred on where it was, not on the work area's middle, and inside the work area.
    const veneer::PixelPoint centred = update::CentredPosition(
        WindowRect{0, 0, expected.Width(), expected.Height()},
        WindowRect{before.left, before.top, before.right, before.bottom},
        WindowRect{work.left, work.top, work.right, work.bottom});
    EXPECT_EQ(after.left, centred.x);
    EXPECT_EQ(after.top, centred.y);
    EXPECT_LT(after.left + after.right, work.left + work.right - 100);  // left of the middle
    EXPECT_GE(after.left, work.left);
    EXPECT_GE(after.top, work.top);
    if (!screen_) continue;  // the band's pixels
    Sleep(300);
    const Screenshot scaled = captureWindow(window);
    scaled.save(screenshotFolder() + L"\\update-scale-" + std::to_wstring(scale) + L".bmp");
    // The blue band ends at 38 at scale 100: it ends at that many dp now.
    const int bandEnd = 38 * scale / 100;
    EXPECT_TRUE(coloursClose(scaled.at(150, bandEnd - 3), kCaptionBlue, 40));
    EXPECT_FALSE(coloursClose(scaled.at(150, bandEnd + 4 * scale / 100), kCaptionBlue, 40));
  }
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(waitExit(update.handle.get(), kGenerous), std::optional<DWORD>(0u));
}

}  // namespace
}  // namespace e2e

// The second reference for the updater's first paint: the least a program
// can do before it that still does what update.exe must do before its window
// shows, each in the cheapest way, with none of the toolkit but its GDI+
// decoder. It starts OLE, starts that decoder and decodes the three skins the
// first page shows (the background, the close button and the bar's track) on
// a thread of its own, starts a log writer thread and waits until it runs
// (the writer then writes its start line to log\lean_start-0.log, as the log
// manager does), creates and centres a 302 × 202 popup window, starts the
// download worker (WinINet session, request, length, a synchronous message
// per 2048 bytes) before it shows the window, and paints the skins and two
// lines of text in the layout's font into a back buffer. Where update.exe's
// first paint sits between the minimal window (first_paint.exe) and this one
// tells what its toolkit costs beyond the work it cannot leave out.
//
// Like the minimal window it counts its paints as the updater's window does
// (reference_window_win.h) and ends on WM_CLOSE.
//
//   lean_start.exe URL
#include <windows.h>
#include <ole2.h>
#include <wininet.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "bench/reference_window_win.h"
#include "common/unique_handle_win.h"
#include "common/wide_win.h"
#include "veneer/render/dib_info_win.h"
#include "veneer/res/image.h"

namespace {

constexpr int kWidth = 302;
constexpr int kHeight = 202;
constexpr UINT kProgressMessage = WM_APP + 1;
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;

// The skins of the first page, by resource number, and where they are drawn.
struct Skin {
  int resource;
  int x;
  int y;
  int states;  // stacked vertically; the first is drawn
  veneer::VRef<veneer::IBitmap> bitmap;
};
Skin skins[] = {{1, 0, 0, 1, {}}, {2, 279, 5, 3, {}}, {3, 31, 82, 1, {}}};
common::UniqueHandle skinsDecoded;

DWORD WINAPI decodeSkins(void* decoder) {
  for (Skin& skin : skins) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(skin.resource), MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found != nullptr ? LoadResource(nullptr, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) continue;
    skin.bitmap = veneer::VRef<veneer::IBitmap>::Adopt(
        veneer::DecodeBitmap(static_cast<veneer::IImageDecoder*>(decoder), bytes, SizeofResource(nullptr, found)));
  }
  SetEvent(skinsDecoded.get());
  return 0;
}

// The decoder's pixels, premultiplied as AlphaBlend takes them.
void copyPremultiplied(const veneer::IBitmap& bitmap, void* into) {
  const std::uint32_t* from = bitmap.Pixels();
  const std::size_t count = static_cast<std::size_t>(bitmap.Width()) * static_cast<std::size_t>(bitmap.Height());
  std::transform(from, from + count, static_cast<std::uint32_t*>(into), [](std::uint32_t argb) {
    return veneer::PremultipliedPixel(argb);
  });
}

DWORD WINAPI logWriter(void* started) {
  SetEvent(static_cast<HANDLE>(started));
  CreateDirectoryW(L"log", nullptr);
  if (FILE* file = _wfopen(L"log\\lean_start-0.log", L"ab")) {
    std::fputs("-----------------  log writer started!   ----------------------------\r\n", file);
    std::fclose(file);
  }
  for (;;) Sleep(100);  // polls, as the log manager's writer does, until the process ends
}

struct WorkerArgs {
  HWND window;
  wchar_t url[2048];
};

DWORD WINAPI downloadWorker(void* argument) {
  const auto* args = static_cast<const WorkerArgs*>(argument);
  const common::UniqueModule wininet(LoadLibraryW(L"wininet.dll"));
  if (!wininet) return 1;
  const auto find = [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(wininet.get(), name)); };
  const auto open = reinterpret_cast<decltype(&InternetOpenW)>(find("InternetOpenW"));
  const auto openUrl = reinterpret_cast<decltype(&InternetOpenUrlW)>(find("InternetOpenUrlW"));
  const auto query = reinterpret_cast<decltype(&HttpQueryInfoW)>(find("HttpQueryInfoW"));
  const auto read = reinterpret_cast<decltype(&InternetReadFile)>(find("InternetReadFile"));
  const auto close = reinterpret_cast<decltype(&InternetCloseHandle)>(find("InternetCloseHandle"));
  if (!open || !openUrl || !query || !read || !close) return 1;
  HINTERNET session = open(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  HINTERNET request = session != nullptr ? openUrl(session, args->url, nullptr, 0, kRequestFlags, 0) : nullptr;
  DWORD length = 0;
  DWORD size = sizeof length;
  if (request != nullptr &&
      query(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr)) {
    SendMessageW(args->window, kProgressMessage, length, 0);
    char chunk[2048];
    DWORD got = 0;
    DWORD received = 0;
    while (read(request, chunk, sizeof chunk, &got) && got > 0) {
      received += got;
      SendMessageW(args->window, kProgressMessage, length, received);
    }
  }
  if (request != nullptr) close(request);
  if (session != nullptr) close(session);
  return 0;
}

void paint(HWND window) {
  PAINTSTRUCT ps;
  HDC screen = BeginPaint(window, &ps);
  const BITMAPINFO info = veneer::TopDownDibInfo(kWidth, kHeight);
  void* bits = nullptr;
  const common::UniqueGdiObject buffer(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const common::UniqueMemoryDc back(CreateCompatibleDC(screen));
  const HGDIOBJ before = SelectObject(back.get(), buffer.get());
  const RECT all{0, 0, kWidth, kHeight};
  FillRect(back.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  WaitForSingleObject(skinsDecoded.get(), INFINITE);
  for (const Skin& skin : skins) {
    if (!skin.bitmap) continue;
    const int width = skin.bitmap->Width();
    const BITMAPINFO skinInfo = veneer::TopDownDibInfo(width, skin.bitmap->Height());
    void* skinBits = nullptr;
    const common::UniqueGdiObject picture(
        CreateDIBSection(back.get(), &skinInfo, DIB_RGB_COLORS, &skinBits, nullptr, 0));
    if (!picture) continue;
    copyPremultiplied(*skin.bitmap, skinBits);
    const common::UniqueMemoryDc source(CreateCompatibleDC(back.get()));
    const HGDIOBJ old = SelectObject(source.get(), picture.get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const int shown = skin.bitmap->Height() / skin.states;
    GdiAlphaBlend(back.get(), skin.x, skin.y, width, shown, source.get(), 0, 0, width, shown, blend);
    SelectObject(source.get(), old);
  }
  LOGFONTW font{};
  font.lfHeight = -14;
  font.lfCharSet = GB2312_CHARSET;
  wcscpy(font.lfFaceName, L"\u5b8b\u4f53");  // the layout's face, "宋体"
  const common::UniqueGdiObject face(CreateFontIndirectW(&font));
  const HGDIOBJ oldFont = SelectObject(back.get(), face.get());
  SetBkMode(back.get(), TRANSPARENT);
  RECT caption{12, 4, 260, 42};
  DrawTextW(back.get(), L"Downloading", -1, &caption, DT_SINGLELINE | DT_VCENTER);
  RECT progress{11, 44, 290, 62};
  DrawTextW(back.get(), L"Current progress", -1, &progress, DT_SINGLELINE);
  SelectObject(back.get(), oldFont);
  BitBlt(screen, 0, 0, kWidth, kHeight, back.get(), 0, 0, SRCCOPY);
  SelectObject(back.get(), before);
  EndPaint(window, &ps);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      paint(window);
      bench::CountPaint(window);
      return 0;
    case kProgressMessage:
      return 0;
    default:
      return bench::DefaultReferenceProc(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const std::vector<std::u16string> tokens = common::commandLineTokens();
  if (tokens.size() != 2) return 2;
  if (FAILED(OleInitialize(nullptr))) return 1;
  const veneer::VRef<veneer::IImageDecoder> decoder =
      veneer::VRef<veneer::IImageDecoder>::Adopt(veneer::CreateImageDecoder("imgdecoder-gdip"));  // starts GDI+
  if (!decoder) return 1;
  skinsDecoded.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const common::UniqueHandle started(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const common::UniqueHandle writer(CreateThread(nullptr, 0, logWriter, started.get(), 0, nullptr));
  const common::UniqueHandle decoding(CreateThread(nullptr, 0, decodeSkins, decoder.get(), 0, nullptr));
  if (!skinsDecoded || !started || !writer || !decoding) return 1;
  WaitForSingleObject(started.get(), INFINITE);

  if (!bench::RegisterReferenceClass(instance, windowProc, CS_DBLCLKS)) return 1;
  HWND window = CreateWindowExW(0, bench::kReferenceClassName, L"", WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX, 0, 0,
                                kWidth, kHeight, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(window, nullptr, work.left + (work.right - work.left - kWidth) / 2,
               work.top + (work.bottom - work.top - kHeight) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  static WorkerArgs workerArgs{window, {}};
  lstrcpynW(workerArgs.url, common::toWide(tokens[1]).c_str(), static_cast<int>(std::size(workerArgs.url)));
  const common::UniqueHandle worker(CreateThread(nullptr, 0, downloadWorker, &workerArgs, 0, nullptr));
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  bench::RunMessageLoop();
  // The worker may still be reading: the process ends with it, as the updater's does.
  OleUninitialize();
  ExitProcess(0);
}

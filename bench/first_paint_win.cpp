// The floor for the updater's first paint: the least a Win32 program does to
// create a 302 × 202 popup window and paint it (a white fill and a frame).
// It counts its paints as the updater's window does (reference_window_win.h),
// which the benchmark driver reads; WM_CLOSE ends it.
//
//   first_paint.exe
#include <windows.h>

#include "bench/reference_window_win.h"

namespace {

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT client{};
      GetClientRect(window, &client);
      FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
      EndPaint(window, &ps);
      bench::CountPaint(window);
      return 0;
    }
    default:
      return bench::DefaultReferenceProc(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  if (!bench::RegisterReferenceClass(instance, windowProc, 0)) return 1;
  HWND window = CreateWindowExW(0, bench::kReferenceClassName, L"", WS_POPUP, 100, 100, 302, 202, nullptr, nullptr,
                                instance, nullptr);
  if (window == nullptr) return 1;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  bench::RunMessageLoop();
  return 0;
}

// ui.dll, the stand-in for the product's client library: the least the
// launcher relies on. StartUI shows a main window marked with the property
// "tavaro" and returns when that window is closed.
//
// Tests steer it through the environment:
//   TAVARO_UI_RECORD=file      append what StartUI received (UTF-8 lines)
//   TAVARO_UI_WINDOW_DELAY=ms  wait before the window exists
//   TAVARO_UI_CLOSE_AFTER=ms   close the window after that long
//   TAVARO_UI_CRASH=1          crash on purpose once the window exists
//   TAVARO_UI_CLIENT=args      start client.exe (beside ui.dll) with these arguments,
//                              as the product's client does, and close when it ends
//   TAVARO_UI_CLIENT_UPDATED=args  the same for a start with the start reason "update"
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/process_start_win.h"
#include "launcher/launch_params.h"

namespace {

constexpr wchar_t kWindowClass[] = L"TavaroStandInClient";
constexpr UINT_PTR kCloseTimer = 1;

DWORD environmentNumber(const wchar_t* name) {
  wchar_t value[32] = {};
  if (GetEnvironmentVariableW(name, value, 32) == 0) return 0;
  return static_cast<DWORD>(_wtoi(value));
}

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                       nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

// What the client received, for the tests to read; also asks the launcher's
// export through GetProcAddress, as a client would.
void record(const LaunchParams& params) {
  wchar_t path[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"TAVARO_UI_RECORD", path, MAX_PATH) == 0) return;
  using VersionFn = int (*)(const char*);
  auto version = reinterpret_cast<VersionFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), "Version")));
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::FILE* file = _wfopen(path, L"ab");
  if (file == nullptr) return;
  std::fprintf(file,
               "StartUI pid=%lu\nprogram=%s\nloaderPath=%s\nstartReason=%s\nlanguage=%s\nshowCommand=%d\nversion=%d,%d\n",
               GetCurrentProcessId(), utf8(program).c_str(), utf8(params.loaderPath).c_str(),
               utf8(params.startReason).c_str(), utf8(params.language).c_str(), params.showCommand,
               version ? version("tavaro") : 0, version ? version("Tavaro") : 0);
  std::fclose(file);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kCloseTimer) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      RemovePropW(window, L"tavaro");
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// Starts the stand-in client named by TAVARO_UI_CLIENT (TAVARO_UI_CLIENT_UPDATED
// instead, when set, for the start after an update); an empty handle when none is asked for.
common::UniqueHandle startClient(HINSTANCE self, const LaunchParams& params) {
  wchar_t arguments[4096] = {};
  const bool updated = std::wstring(params.startReason) == L"update" &&
                       GetEnvironmentVariableW(L"TAVARO_UI_CLIENT_UPDATED", nullptr, 0) != 0;
  const DWORD n = GetEnvironmentVariableW(updated ? L"TAVARO_UI_CLIENT_UPDATED" : L"TAVARO_UI_CLIENT", arguments, 4096);
  if (n == 0 || n >= 4096) return common::UniqueHandle();
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  std::wstring program(path, length);
  program = program.substr(0, program.find_last_of(L'\\') + 1) + L"client.exe";
  return common::startProcess(program, arguments).handle;
}

}  // namespace

extern "C" __declspec(dllexport) int StartUI(HINSTANCE, LaunchParams* params) {
  if (params == nullptr) return -1;
  record(*params);
  if (const DWORD delay = environmentNumber(L"TAVARO_UI_WINDOW_DELAY")) Sleep(delay);

  HINSTANCE self = GetModuleHandleW(L"ui.dll");
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = self;
  windowClass.lpszClassName = kWindowClass;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassExW(&windowClass);
  HWND window = CreateWindowExW(0, kWindowClass, L"Tavaro (stand-in client)", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 360, 200, nullptr, nullptr, self, nullptr);
  if (window == nullptr) return -1;
  SetPropW(window, L"tavaro", reinterpret_cast<HANDLE>(1));
  ShowWindow(window, params->showCommand);
  if (const DWORD after = environmentNumber(L"TAVARO_UI_CLOSE_AFTER")) SetTimer(window, kCloseTimer, after, nullptr);
  if (environmentNumber(L"TAVARO_UI_CRASH") != 0) {
    volatile int* nowhere = nullptr;
    *nowhere = 1;  // an unhandled access violation: the launcher's dump handler takes it
  }

  common::UniqueHandle client = startClient(self, *params);
  MSG message;
  for (;;) {
    HANDLE waits[1] = {client.get()};
    const DWORD woke = MsgWaitForMultipleObjects(client ? 1 : 0, waits, FALSE, INFINITE, QS_ALLINPUT);
    if (client && woke == WAIT_OBJECT_0) {
      client.reset();  // the client has ended: so does the client library's window
      DestroyWindow(window);
    }
    bool quit = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        break;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (quit) break;
  }
  UnregisterClassW(kWindowClass, self);
  return 0;
}

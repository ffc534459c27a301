// tavaro.exe: one client at a time, a crash dump on an unhandled exception,
// and the hand-over to the client library.
#include <windows.h>

#include "common/unique_handle_win.h"
#include "common/wide_win.h"
#include "launcher/crash_dump_win.h"
#include "launcher/launch_options.h"
#include "launcher/launch_params.h"

namespace {

constexpr wchar_t kMutexName[] = L"tavarovideo";
constexpr wchar_t kWindowProperty[] = L"tavaro";

BOOL CALLBACK showIfClient(HWND window, LPARAM found) {
  if (GetPropW(window, kWindowProperty) == nullptr) return TRUE;
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  *reinterpret_cast<bool*>(found) = true;
  return FALSE;  // the first one is enough
}

// Shows and brings forward the first top-level window marked as the client's.
bool bringClientForward() {
  bool found = false;
  EnumWindows(&showIfClient, reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

extern "C" __declspec(dllexport) int Version(const char* name) { return launcher::versionOf(name); }

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  // Held open for the life of the process.
  common::UniqueHandle mutex(CreateMutexW(nullptr, FALSE, kMutexName));
  if (GetLastError() == ERROR_ALREADY_EXISTS && bringClientForward()) return 1;

  const std::vector<std::u16string> tokens = common::commandLineTokens();
  for (const std::u16string& token : tokens) OutputDebugStringW(common::toWide(token).c_str());
  const launcher::LaunchOptions options = launcher::parseLaunchOptions(tokens);
  LaunchParams params{common::toWide(options.loaderPath), common::toWide(options.startReason),
                      common::toWide(options.language), showCommand};

  SetUnhandledExceptionFilter(&launcher::writeCrashDump);
  StartUI(instance, &params);
  return 0;
}

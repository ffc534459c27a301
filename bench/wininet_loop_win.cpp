// The limit the updater's download is measured against: a bare WinINet loop
// with the updater's session, flags and 2048-byte reads, and nothing else
// (no window, no messages, no file).
//
//   wininet_loop.exe URL [--with-messages] [--with-file=PATH]
//     prints: bytes N, seconds S (the loop), MB/s R, process-seconds P (from the process's creation)
//
// With --with-messages, each chunk is followed by one SendMessageW to a
// window of another thread with an empty handler: the floor that one
// synchronous message per chunk sets, whatever the window does with it.
// With --with-file, each chunk is then written to PATH with one WriteFile,
// as the updater writes its download.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <memory>
#include <string>

#include "common/unique_handle_win.h"
#include "common/wide_win.h"
#include "update/http_session_win.h"

namespace {

using update::kRequestFlags;
using update::UniqueInternetHandle;

constexpr UINT kProgress = WM_APP + 1;

LRESULT CALLBACK emptyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kProgress) return 0;
  return DefWindowProcW(window, message, wParam, lParam);
}

// A window on a thread of its own that answers every message at once.
class MessageTarget {
 public:
  MessageTarget() {
    ready_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_.reset(CreateThread(nullptr, 0, &MessageTarget::run, this, 0, nullptr));
    WaitForSingleObject(ready_.get(), 10000);
  }
  ~MessageTarget() {
    if (window_ != nullptr) PostMessageW(window_, WM_CLOSE, 0, 0);
    WaitForSingleObject(thread_.get(), 10000);
  }
  HWND window() const { return window_; }

 private:
  static DWORD WINAPI run(void* self) {
    auto* target = static_cast<MessageTarget*>(self);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = emptyWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"WinInetLoopTarget";
    RegisterClassW(&windowClass);
    target->window_ = CreateWindowW(L"WinInetLoopTarget", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
    SetEvent(target->ready_.get());
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (message.message == WM_CLOSE) break;
      DispatchMessageW(&message);
    }
    DestroyWindow(target->window_);
    return 0;
  }

  common::UniqueHandle ready_;
  common::UniqueHandle thread_;
  HWND window_ = nullptr;
};

}  // namespace

int main() {
  const std::vector<std::u16string> tokens = common::commandLineTokens();
  if (tokens.size() < 2) {
    std::puts("usage: wininet_loop URL [--with-messages]");
    return 2;
  }
  std::unique_ptr<MessageTarget> target;
  common::UniqueFile file;
  for (std::size_t i = 2; i < tokens.size(); ++i) {
    if (tokens[i] == u"--with-messages") target = std::make_unique<MessageTarget>();
    if (tokens[i].rfind(u"--with-file=", 0) == 0) {
      const std::wstring path = common::toWide(tokens[i].substr(12));
      file.reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
      if (!file) return 5;
    }
  }
  LARGE_INTEGER start{}, end{}, frequency{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  UniqueInternetHandle session(InternetOpenW(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return 3;
  const std::wstring url = common::toWide(tokens[1]);
  UniqueInternetHandle request(InternetOpenUrlW(session.get(), url.c_str(), nullptr, 0, kRequestFlags, 0));
  if (!request) return 4;
  char chunk[2048];
  unsigned long long total = 0;
  DWORD got = 0;
  while (InternetReadFile(request.get(), chunk, sizeof chunk, &got) && got != 0) {
    total += got;
    if (target) SendMessageW(target->window(), kProgress, 0, static_cast<LPARAM>(total));
    DWORD written = 0;
    if (file && !WriteFile(file.get(), chunk, got, &written, nullptr)) return 6;
  }
  QueryPerformanceCounter(&end);
  const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  std::printf("bytes %llu\nseconds %.3f\nMB/s %.1f\n", total, seconds, static_cast<double>(total) / 1e6 / seconds);
  // From the process's creation, as update.exe's figure runs from its start:
  // the loop's start (Wine's process start, WinINet and the other DLLs loaded
  // before main) is counted the same way.
  FILETIME created{}, exited{}, kernel{}, user{}, now{};
  if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
    GetSystemTimePreciseAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    std::printf("process-seconds %.3f\n", static_cast<double>(ticks(now) - ticks(created)) / 1e7);
  }
  return 0;
}

// sentinel.exe: puts the system proxy back once the client has gone, or
// when the user's session ends first.
#include <windows.h>
#include <wininet.h>

#include <vector>

#include "common/channel_win.h"
#include "common/unique_handle_win.h"
#include "common/wide_win.h"
#include "sentinel/session_window_win.h"
#include "sentinel/sentinel.h"

namespace {

// How long the proxy process is given to go after it was told to: the
// settings are written once nothing listens on its port any more.
constexpr DWORD kProxyEndMillis = 5000;

class WinProxyProcess final : public sentinel::ProxyProcess {
 public:
  explicit WinProxyProcess(common::UniqueHandle process) : process_(std::move(process)) {}
  void terminate(std::uint32_t exitCode) override {
    if (TerminateProcess(process_.get(), exitCode)) WaitForSingleObject(process_.get(), kProxyEndMillis);
  }

 private:
  common::UniqueHandle process_;
};

class WinSentinelSystem final : public sentinel::SentinelSystem {
 public:
  std::unique_ptr<sentinel::ProxyProcess> openProxy(std::uint32_t pid, std::uint32_t& error) override {
    common::UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!process) {
      error = GetLastError();
      return nullptr;
    }
    return std::make_unique<WinProxyProcess>(std::move(process));
  }

  // The client's watch handles this thread's messages while it waits: the
  // end of the session reaches the hidden window only through them.
  std::unique_ptr<common::ProcessWatch> openMain(std::uint32_t pid, std::uint32_t& error) override {
    common::UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process) {
      error = GetLastError();
      return nullptr;
    }
    return std::make_unique<sentinel::MessagePumpingWatch>(std::move(process));
  }

  void setProxyOptions(const std::vector<sentinel::ProxyOption>& options) override {
    std::vector<std::wstring> texts;
    texts.reserve(options.size());
    std::vector<INTERNET_PER_CONN_OPTIONW> list(options.size());
    for (std::size_t i = 0; i < options.size(); ++i) {
      list[i].dwOption = options[i].option;
      if (options[i].text.empty()) {
        list[i].Value.dwValue = options[i].flags;
      } else {
        texts.push_back(common::toWide(options[i].text));
        list[i].Value.pszValue = texts.back().data();
      }
    }
    INTERNET_PER_CONN_OPTION_LISTW settings{};
    settings.dwSize = sizeof settings;
    settings.pszConnection = nullptr;  // the default connection
    settings.dwOptionCount = static_cast<DWORD>(list.size());
    settings.pOptions = list.data();
    InternetSetOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &settings, sizeof settings);
  }

  void notify(std::uint32_t option) override { InternetSetOptionW(nullptr, option, nullptr, 0); }

  void debugOutput(std::u16string_view text) override { OutputDebugStringW(common::toWide(text).c_str()); }
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Told of the end of the session before the ordinary programs (0x280),
  // the client among them, so that the proxy goes back while there is time.
  SetProcessShutdownParameters(sentinel::kShutdownLevel, 0);
  WinSentinelSystem system;
  sentinel::SessionWindow session(instance);
  return sentinel::runSentinel(common::commandLineTokens(), system, session);
}

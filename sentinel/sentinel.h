// sentinel: waits for the client to end, ends its local proxy process and
// switches the system proxy of the default connection back to direct.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/channel.h"

namespace sentinel {

enum ExitCode : int { kExitOk = 0, kExitCannotWatch = 1 };

struct SentinelOptions {
  std::uint32_t mainPid = 0;
  std::uint32_t proxyPid = 0;
  bool hasMain = false;
  bool hasProxy = false;
};

// "--mpid=" and "--epid=", compared without regard to case on their 7
// characters, over every token; a later one wins.
SentinelOptions parseSentinelOptions(std::span<const std::u16string> tokens);

// One per-connection option: its number and either a flags value or a text.
struct ProxyOption {
  std::uint32_t option;
  std::uint32_t flags;
  std::u16string text;

  bool operator==(const ProxyOption&) const = default;
};

// The settings written once the client has gone: the loopback proxy server
// kept for later, no proxy in use (direct, with automatic detection), local
// addresses bypassed.
std::vector<ProxyOption> directConnectionOptions();

// What tells running programs that the settings changed, in the order they
// are sent: the change itself (INTERNET_OPTION_SETTINGS_CHANGED), then the
// reload (INTERNET_OPTION_REFRESH). Browsers that cache the settings miss a
// refresh alone.
inline constexpr std::uint32_t kSettingsChangedNotices[] = {39, 37};

class ProxyProcess {
 public:
  virtual ~ProxyProcess() = default;
  virtual void terminate(std::uint32_t exitCode) = 0;
};

class SentinelSystem {
 public:
  virtual ~SentinelSystem() = default;
  virtual std::unique_ptr<ProxyProcess> openProxy(std::uint32_t pid, std::uint32_t& error) = 0;
  virtual std::unique_ptr<common::ProcessWatch> openMain(std::uint32_t pid, std::uint32_t& error) = 0;
  // Writes the options of the default connection.
  virtual void setProxyOptions(const std::vector<ProxyOption>& options) = 0;
  // Sends one option without data to every program (InternetSetOption with no handle).
  virtual void notify(std::uint32_t option) = 0;
  virtual void debugOutput(std::u16string_view text) = 0;
};

// The end of the user's session (sign-out, shutdown), which Windows
// announces to top-level windows only: the program keeps a hidden one.
class SessionEnd {
 public:
  virtual ~SessionEnd() = default;
  // From now on, when the session ends while the thread that called this
  // waits for a process, `restore` runs on that thread before the session
  // is let go on. Never called again after that.
  virtual void onEnd(std::function<void()> restore) = 0;
};

// Waits for the client to end, or the session to end, whichever comes
// first; either way the proxy process is ended and the direct settings are
// written and announced once. After the end of the session it goes on
// waiting for the client, and exits once it has gone.
int runSentinel(std::span<const std::u16string> tokens, SentinelSystem& system, SessionEnd& session);

}  // namespace sentinel

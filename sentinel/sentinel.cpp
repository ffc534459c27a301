#include "sentinel/sentinel.h"

#include "common/option_text.h"

namespace sentinel {
namespace {

constexpr std::uint32_t kPerConnFlags = 1;        // INTERNET_PER_CONN_FLAGS
constexpr std::uint32_t kPerConnProxyServer = 2;  // INTERNET_PER_CONN_PROXY_SERVER
constexpr std::uint32_t kPerConnProxyBypass = 3;  // INTERNET_PER_CONN_PROXY_BYPASS
constexpr std::uint32_t kDirectAutoDetect = 9;    // PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_DETECT
constexpr std::uint32_t kProxyExitCode = 4294967295u;

void report(SentinelSystem& system, std::u16string_view message, std::uint32_t error) {
  system.debugOutput(message);
  const std::string digits = std::to_string(error);
  system.debugOutput(std::u16string(digits.begin(), digits.end()));
  system.debugOutput(u"\r\n");
}

}  // namespace

SentinelOptions parseSentinelOptions(std::span<const std::u16string> tokens) {
  SentinelOptions options;
  if (auto value = common::lastOptionValue(tokens, u"--mpid=")) {
    options.mainPid = common::leadingDecimal(*value);
    options.hasMain = true;
  }
  if (auto value = common::lastOptionValue(tokens, u"--epid=")) {
    options.proxyPid = common::leadingDecimal(*value);
    options.hasProxy = true;
  }
  return options;
}

std::vector<ProxyOption> directConnectionOptions() {
  return {{kPerConnProxyServer, 0, u"127.0.0.1:1080"},
          {kPerConnFlags, kDirectAutoDetect, u""},
          {kPerConnProxyBypass, 0, u"<local>"}};
}

int runSentinel(std::span<const std::u16string> tokens, SentinelSystem& system, SessionEnd& session) {
  // Nothing beyond the program path, or an id missing: there is nothing to watch.
  if (tokens.size() <= 1) return kExitCannotWatch;
  const SentinelOptions options = parseSentinelOptions(tokens);
  if (!options.hasMain || !options.hasProxy) return kExitCannotWatch;

  std::uint32_t error = 0;
  std::unique_ptr<ProxyProcess> proxy = system.openProxy(options.proxyPid, error);
  if (!proxy) {
    report(system, u"OpenSSProcess Failed!\r\n", error);
    return kExitCannotWatch;
  }
  std::unique_ptr<common::ProcessWatch> main = system.openMain(options.mainPid, error);
  if (!main) {
    report(system, u"OpenMainProcess Failed!\r\n", error);
    return kExitCannotWatch;
  }
  bool restored = false;
  const auto restore = [&] {
    if (restored) return;
    restored = true;
    proxy->terminate(kProxyExitCode);
    system.setProxyOptions(directConnectionOptions());
    for (std::uint32_t notice : kSettingsChangedNotices) system.notify(notice);
  };
  // Signing out or shutting down with the client connected ends the client
  // and this program together: the settings go back before the session
  // goes on, or the browser finds no proxy after the restart.
  session.onEnd(restore);
  main->waitForExit(-1);  // no time limit
  restore();
  return kExitOk;
}

}  // namespace sentinel

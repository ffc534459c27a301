// sentinel: waits for the client to end, ends its local proxy process and
// switches the system proxy of the default connection back to direct.
#pragma once

#include <cstdint>
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
  // Writes the options of the default connection, then asks running programs to reload them.
  virtual void setProxyOptions(const std::vector<ProxyOption>& options) = 0;
  virtual void debugOutput(std::u16string_view text) = 0;
};

int runSentinel(std::span<const std::u16string> tokens, SentinelSystem& system);

}  // namespace sentinel

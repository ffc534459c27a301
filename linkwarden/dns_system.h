// What the DNS requests need from the system: the interface's current DNS
// settings, its name for netsh, and netsh itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace linkwarden {

class DnsSystem {
 public:
  virtual ~DnsSystem() = default;
  // The DNS server list the adapter reports for the interface, in order
  // (entries may be empty texts); false when it reports none.
  virtual bool adapterDnsServers(std::uint32_t ifIndex, std::vector<std::u16string>& servers) = 0;
  // The interface's adapter name in the interface table ("\DEVICE\TCPIP_{...}"); empty when none matches.
  virtual std::u16string adapterName(std::uint32_t ifIndex) = 0;
  // The "NameServer" text under the local machine's `key`; empty when absent or unreadable.
  virtual std::u16string nameServerValue(std::u16string_view key) = 0;
  // The name netsh knows the interface by; empty when none matches.
  virtual std::u16string friendlyName(std::uint32_t ifIndex) = 0;
  virtual std::uint32_t majorVersion() = 0;
};

enum class NetshOutcome { kEnded, kTimedOut, kNotStarted };

class NetshRunner {
 public:
  virtual ~NetshRunner() = default;
  // Runs netsh hidden with `parameters` and waits for it, up to the runner's limit.
  virtual NetshOutcome run(std::u16string_view parameters, std::uint32_t& error) = 0;
};

}  // namespace linkwarden

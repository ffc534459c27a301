// The Windows adapters of the request handlers.
#pragma once

#include <windows.h>

#include <string>

#include "linkwarden/dial_up.h"
#include "linkwarden/dns_system.h"
#include "linkwarden/service_manager.h"

namespace linkwarden {

class WinServiceManager final : public ServiceManager {
 public:
  std::unique_ptr<ServiceSession> connect(std::uint32_t& error) override;
  std::u16string fullPath(std::u16string_view path) override;
};

class WinDnsSystem final : public DnsSystem {
 public:
  bool adapterDnsServers(std::uint32_t ifIndex, std::vector<std::u16string>& servers) override;
  std::u16string adapterName(std::uint32_t ifIndex) override;
  std::u16string nameServerValue(std::u16string_view key) override;
  std::u16string friendlyName(std::uint32_t ifIndex) override;
  std::uint32_t majorVersion() override;
};

// The system's own netsh.exe by its full path: the tool runs elevated, and a
// bare name would be looked for in the current folder first, where anybody
// who can write there could put a program of theirs.
std::wstring systemNetsh();

// Runs `program` (the system's netsh.exe in the product) through the shell, hidden, and
// waits up to `limitMillis` for it: a hung child must not stop the tool, and
// is ended then, so that no two netsh runs change an interface at once.
class WinNetshRunner final : public NetshRunner {
 public:
  explicit WinNetshRunner(std::wstring program = systemNetsh(), DWORD limitMillis = 30000)
      : program_(std::move(program)), limitMillis_(limitMillis) {}
  NetshOutcome run(std::u16string_view parameters, std::uint32_t& error) override;

 private:
  std::wstring program_;
  DWORD limitMillis_;
};

class WinRemoteAccess final : public RemoteAccess {
 public:
  RasListing activeConnections(std::vector<RasConnection>& connections) override;
  void hangUp(std::uintptr_t handle) override;
  void deleteEntry(std::u16string_view entryName) override;
};

// The Windows major version as GetVersionExW reports it (Wine: 6).
std::uint32_t windowsMajorVersion();

}  // namespace linkwarden

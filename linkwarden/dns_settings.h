// DNS requests: point one interface at other DNS servers through netsh,
// having captured its earlier settings once; put them back on request and
// when the client has ended.
#pragma once

#include <string>

#include "linkwarden/dns_system.h"
#include "linkwarden/request_handlers.h"
#include "utils/log_format.h"

namespace linkwarden {

class UndoRecorder;

struct SavedDns {
  bool useDhcp = false;
  std::uint32_t interfaceIndex = 0;
  std::u16string primaryServer;    // at most 63 units, as the field that holds it
  std::u16string secondaryServer;

  bool captured() const { return useDhcp || !primaryServer.empty(); }
};

inline constexpr int kDnsPasses = 11;
inline constexpr char16_t kInterfacesKey[] = u"SYSTEM\\ControlSet001\\services\\Tcpip\\Parameters\\Interfaces\\";

class DnsSettings final : public DnsRequests {
 public:
  DnsSettings(DnsSystem& system, NetshRunner& netsh, logq::ILogManager& logs);

  void handle(DnsRequest& request) override;
  void restoreSaved() override;

  // Whether the interface takes its DNS servers automatically; fills the
  // servers the adapter reports (and leaves them otherwise).
  bool queryInterfaceDns(std::uint32_t ifIndex, std::u16string& primary, std::u16string& secondary);
  // Runs netsh up to `passes` times until the interface shows the servers.
  void applyInterfaceDns(std::uint32_t ifIndex, bool useDhcp, const std::u16string& primary,
                         const std::u16string& secondary, int passes = kDnsPasses);
  // Told of the settings once captured, before the first netsh run.
  void recordWith(UndoRecorder& recorder) { recorder_ = &recorder; }

  const SavedDns& saved() const { return saved_; }

 private:
  DnsSystem& system_;
  NetshRunner& netsh_;
  logq::SourceLog log_;
  SavedDns saved_;
  UndoRecorder* recorder_ = nullptr;
};

// Strict dotted IPv4 text ("a.b.c.d", each 0 to 255 in at most three digits).
bool isDottedIpv4(std::u16string_view text);

}  // namespace linkwarden

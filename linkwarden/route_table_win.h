#pragma once

#include "linkwarden/client_rights_win.h"
#include "linkwarden/file_source.h"
#include "linkwarden/route_table.h"

namespace linkwarden {

// The IP Helper API; the interface metric through "Iphlpapi.dll" loaded at run time.
class WinRouteTable final : public RouteTable {
 public:
  std::uint32_t setEntry(const ForwardRow& row) override;
  std::uint32_t createEntry(const ForwardRow& row) override;
  std::uint32_t deleteEntry(const ForwardRow& row) override;
  MetricLookup interfaceMetric(std::uint32_t ifIndex, std::uint32_t& metric) override;
  std::uint32_t majorVersion() override;
};

// The client's files, opened with the client's rights.
class WinFileSource final : public FileSource {
 public:
  explicit WinFileSource(const ClientRights& clientRights) : clientRights_(clientRights) {}

  ReadResult readAll(std::u16string_view path, std::uint64_t limit, std::string& bytes,
                     std::uint64_t& size) override;

 private:
  const ClientRights& clientRights_;
};

}  // namespace linkwarden

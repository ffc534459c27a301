// The 1496-byte record that the client and the tool share through a named
// section. The client writes a request's fields, then its `pending` byte; the
// tool reads `pending` first, the fields after, and clears `pending` once the
// request is done. Booleans are bytes: any non-zero value is true.
#pragma once

#include <cstddef>
#include <cstdint>

namespace linkwarden {

// The IP Helper forward row (MIB_IPFORWARDROW), fourteen 32-bit fields.
struct ForwardRow {
  std::uint32_t dwForwardDest;
  std::uint32_t dwForwardMask;
  std::uint32_t dwForwardPolicy;
  std::uint32_t dwForwardNextHop;
  std::uint32_t dwForwardIfIndex;
  std::uint32_t dwForwardType;
  std::uint32_t dwForwardProto;
  std::uint32_t dwForwardAge;
  std::uint32_t dwForwardNextHopAS;
  std::uint32_t dwForwardMetric1;
  std::uint32_t dwForwardMetric2;
  std::uint32_t dwForwardMetric3;
  std::uint32_t dwForwardMetric4;
  std::uint32_t dwForwardMetric5;
};

inline constexpr std::size_t kNameUnits = 64;
inline constexpr std::size_t kPathUnits = 260;

struct DriverRequest {
  std::uint8_t pending;
  std::uint8_t install;  // true: install and start; false: stop and delete
  char16_t serviceName[kNameUnits];
  char16_t imagePath[kPathUnits];  // used only when installing
};

struct DnsRequest {
  std::uint8_t pending;
  std::uint8_t apply;    // true: apply the servers below; false: restore the saved ones
  std::uint8_t useDhcp;  // true: servers obtained automatically
  std::uint8_t padding;
  std::uint32_t interfaceIndex;
  char16_t primaryServer[kNameUnits];
  char16_t secondaryServer[kNameUnits];
};

struct RouteRequest {
  std::uint8_t pending;
  std::uint8_t add;  // true: add or update the listed routes; false: delete them
  char16_t listPath[kPathUnits];
  std::uint8_t padding[2];
  ForwardRow templateRow;  // the pattern of every route in the list
};

struct CommandBlock {
  DriverRequest driver;
  std::uint8_t padding[2];
  DnsRequest dns;
  RouteRequest route;
};

inline constexpr std::size_t kCommandBlockSize = 1496;

static_assert(sizeof(ForwardRow) == 56);
static_assert(sizeof(CommandBlock) == kCommandBlockSize);
static_assert(offsetof(CommandBlock, driver) + offsetof(DriverRequest, pending) == 0);
static_assert(offsetof(CommandBlock, driver) + offsetof(DriverRequest, install) == 1);
static_assert(offsetof(CommandBlock, driver) + offsetof(DriverRequest, serviceName) == 2);
static_assert(offsetof(CommandBlock, driver) + offsetof(DriverRequest, imagePath) == 130);
static_assert(offsetof(CommandBlock, padding) == 650);
static_assert(offsetof(CommandBlock, dns) + offsetof(DnsRequest, pending) == 652);
static_assert(offsetof(CommandBlock, dns) + offsetof(DnsRequest, apply) == 653);
static_assert(offsetof(CommandBlock, dns) + offsetof(DnsRequest, useDhcp) == 654);
static_assert(offsetof(CommandBlock, dns) + offsetof(DnsRequest, padding) == 655);
static_assert(offsetof(CommandBlock, dns) + offsetof(DnsRequest, interfaceIndex) == 656);
static_assert(offsetof(CommandBlock, dns) + offsetof(DnsRequest, primaryServer) == 660);
static_assert(offsetof(CommandBlock, dns) + offsetof(DnsRequest, secondaryServer) == 788);
static_assert(offsetof(CommandBlock, route) + offsetof(RouteRequest, pending) == 916);
static_assert(offsetof(CommandBlock, route) + offsetof(RouteRequest, add) == 917);
static_assert(offsetof(CommandBlock, route) + offsetof(RouteRequest, listPath) == 918);
static_assert(offsetof(CommandBlock, route) + offsetof(RouteRequest, padding) == 1438);
static_assert(offsetof(CommandBlock, route) + offsetof(RouteRequest, templateRow) == 1440);
static_assert(offsetof(ForwardRow, dwForwardIfIndex) == 16);
static_assert(offsetof(ForwardRow, dwForwardMetric1) == 36);
static_assert(offsetof(ForwardRow, dwForwardMetric5) == 52);

}  // namespace linkwarden

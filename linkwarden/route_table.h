// The system's IPv4 route table, as the route requests need it.
#pragma once

#include <cstdint>

#include "linkwarden/command_block.h"

namespace linkwarden {

inline constexpr std::uint32_t kErrorNotFound = 1168;  // ERROR_NOT_FOUND

enum class MetricLookup {
  kFound,            // `metric` holds the interface's metric
  kNoLibrary,        // the IP Helper library could not be loaded
  kNoFunction,       // the library has no interface-entry lookup (older systems, Wine)
  kFailed,           // the lookup refused, e.g. for an interface index that does not exist
};

class RouteTable {
 public:
  virtual ~RouteTable() = default;
  // Each returns the system's error code, 0 on success.
  virtual std::uint32_t setEntry(const ForwardRow& row) = 0;
  virtual std::uint32_t createEntry(const ForwardRow& row) = 0;
  virtual std::uint32_t deleteEntry(const ForwardRow& row) = 0;
  // The IPv4 metric of interface `ifIndex`.
  virtual MetricLookup interfaceMetric(std::uint32_t ifIndex, std::uint32_t& metric) = 0;
  virtual std::uint32_t majorVersion() = 0;
};

}  // namespace linkwarden
